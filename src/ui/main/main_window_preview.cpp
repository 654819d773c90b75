// The preview (temp.eml beside the program) and View, which hands that file to the
// desktop's opener.

#include <QApplication>
#include <QDir>

#include "platform/platform_error.h"
#include "ui/main/main_window.h"
#include "ui/main/message_list_model.h"
#include "ui/main/message_list_view.h"
#include "ui/main/shown_text.h"
#include "ui/tools/message_export.h"
#include "ui/tools/user_interaction.h"

namespace dorvane::ui {

QString TForm1::TempEmlPath() const {
    return QDir(interaction_.ProgramDirectory()).filePath(QStringLiteral("temp.eml"));
}

void TForm1::ListMailSelectItem(int row, bool selected) {
    (void)row;  // the preview shows the first selected row, not the one just selected
    if (!selected || ListMailModel_->rowCount() == 0) return;
    const QList<int> rows = ListMail_->SelectedRows();
    if (rows.isEmpty()) return;
    RunCommand([this, first = rows.front()] { DoListMailSelectItem(first); });
}

void TForm1::ReadRowIntoRichEdit(int row) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    struct RestoreCursor {
        ~RestoreCursor() { QApplication::restoreOverrideCursor(); }
    } restore;
    RichEdit1_.clear();
    const Toe5_MessageInfo& message = *state_.MessageList.at(static_cast<std::size_t>(row));
    RichEdit1_ = ReadListedMessage(reader_, state_.CurrentMailFile, message.DataOffset,
                                   state_.RecoveredMode);
}

void TForm1::DoListMailSelectItem(int row) {
    ReadRowIntoRichEdit(row);
    // Unlike an export, a preview that cannot be written says so: the user would
    // otherwise view the previous message without knowing.
    const std::string path = PathText(TempEmlPath());
    if (!WriteMessageFile(path, RichEdit1_)) {
        throw platform::PlatformError(platform::FormatErrorText("Cannot create file %s", path));
    }
}

void TForm1::ViewCurrentMessage() {
    if (ListMail_->SelectedRows().isEmpty()) return;
    interaction_.OpenWithShell(this, TempEmlPath());
}

}  // namespace dorvane::ui
