// Extract All and Extract Selected: the rows of the list, as they stand, written as .eml
// files into a directory the user chooses, under the progress dialog.

#include <optional>

#include <QApplication>

#include "store/store_paths.h"
#include "ui/main/command_guard.h"
#include "ui/main/main_window.h"
#include "ui/main/message_list_model.h"
#include "ui/main/message_list_view.h"
#include "ui/main/message_rows.h"
#include "ui/main/shown_text.h"
#include "ui/tools/export_naming.h"
#include "ui/tools/message_export.h"
#include "ui/tools/progress_dialog.h"
#include "ui/tools/store_export.h"
#include "ui/tools/user_interaction.h"

namespace dorvane::ui {

namespace {

enum Column { kFrom = 0, kSubject = 3, kReceived = 4 };

// The progress dialog for one run, and the run's ending step however the run ends: an
// error from reading a message ends it through here before the error box is shown.
class ExtractRun {
  public:
    // The guard disables the main window and with it the search dialog, its child, so no
    // search can change MessageList under the loop.
    ExtractRun(QWidget* window, const std::string& mailFile) : guard_(window) {
        CancelRequested = false;
        TFrmProgress& progress = FrmProgress();
        progress.ShowOver(window);
        progress.SetBar(0);
        progress.SetTitle(QStringLiteral("processing---") + PathQString(FileNamePart(mailFile)));
        progress.RepaintNow();
    }
    ~ExtractRun() {
        guard_.Release();
        FrmProgress().Finish();
    }
    ExtractRun(const ExtractRun&) = delete;
    ExtractRun& operator=(const ExtractRun&) = delete;

  private:
    CommandGuard guard_;
};

}  // namespace

bool TForm1::ExportMessage(const std::string& targetPath, int row) {
    ReadRowIntoRichEdit(row);
    if (!WriteMessageFile(targetPath, RichEdit1_)) return false;
    KeepReceivedTime(targetPath,
                     state_.MessageList.at(static_cast<std::size_t>(row))->ReceivedTime);
    return true;
}

std::optional<std::string> TForm1::ChooseTargetDirectory() {
    const auto chosen =
        interaction_.ChooseDirectory(this, QStringLiteral("Please Choose A Directory"));
    if (!chosen) {
        interaction_.ShowNotice(
            this, QStringLiteral("Please firstly CHOOSE A DIRECTORY or we can not save files"));
        return std::nullopt;
    }
    return WithTrailingDelimiter(PathText(*chosen));
}

std::string TForm1::ExportFilePathOf(const std::string& directory, std::size_t sequence,
                                     int row) const {
    const auto& message = *state_.MessageList.at(static_cast<std::size_t>(row));
    return ExportFilePath(
        directory, sequence,
        BuildExportFileName(MessageRowText(message, kFrom), MessageRowText(message, kSubject),
                            MessageRowText(message, kReceived)));
}

void TForm1::ExtractAllMessages() {
    RunCommand([this] { DoExtractMessages(false); });
}

void TForm1::ExtractSelectedMessages() {
    RunCommand([this] { DoExtractMessages(true); });
}

void TForm1::DoExtractMessages(bool selectedOnly) {
    const QList<int> selected = ListMail_->SelectedRows();
    if (selectedOnly && selected.isEmpty()) {
        interaction_.ShowNotice(this,
                                QStringLiteral("Please Choose a message for extract at least!"));
        return;
    }
    const auto directory = ChooseTargetDirectory();
    if (!directory) return;
    const int rows = ListMailModel_->rowCount();
    if (!selectedOnly && rows == 0) return;

    // A file that cannot be written is skipped without shifting later numbers, but the run
    // says so at its end: losing mail silently would be a failure reported as success.
    ExportTally tally;
    const auto exportRow = [&](std::size_t sequence, int row) {
        const std::string path = ExportFilePathOf(*directory, sequence, row);
        if (ExportMessage(path, row)) {
            ++tally.Written;
        } else if (tally.WriteFailures++ == 0) {
            tally.FirstFailedPath = path;
        }
    };
    {
        ExtractRun run(this, state_.CurrentMailFile);
        if (selectedOnly) {
            const int total = static_cast<int>(selected.size());
            int done = 0;
            for (int i = 0; i < rows; ++i) {
                if (CancelRequested) break;
                if (selected.contains(i)) {
                    exportRow(static_cast<std::size_t>(done) + 1, i);
                    ++done;
                    FrmProgress().ShowCount(done * 100 / total, done, total);
                }
                QApplication::processEvents();
            }
        } else {
            for (int i = 0; i < rows; ++i) {
                if (CancelRequested) break;
                exportRow(static_cast<std::size_t>(i) + 1, i);
                FrmProgress().ShowCount(i * 100 / rows, i, rows);
                QApplication::processEvents();
            }
        }
    }
    if (tally.WriteFailures > 0) {
        interaction_.ShowNotice(this, PathQString(WriteFailureNotice(tally)));
    }
}

}  // namespace dorvane::ui
