// The main window's browsing commands: loading a folder, showing the list, sorting it and
// opening a mail file by hand.

#include <QHeaderView>

#include "store/store_paths.h"
#include "ui/main/command_guard.h"
#include "ui/main/folder_load.h"
#include "ui/main/folder_tree_view.h"
#include "ui/main/main_window.h"
#include "ui/main/message_list_model.h"
#include "ui/main/message_list_view.h"
#include "ui/main/message_rows.h"
#include "ui/main/shown_text.h"
#include "ui/tools/progress_dialog.h"
#include "ui/tools/user_interaction.h"

namespace dorvane::ui {

namespace {

const char* const kCorruptedFileNotice =
    "The file is corrupted. Please click \"Recover\" on the toolbar to recover messages as "
    "much as possible.";

}  // namespace

void TForm1::SetListRowCount(int rows) {
    ListMailModel_->SetRowCount(rows);
}

void TForm1::ShowMessageListRows(int rows) {
    ListMailModel_->SetRowCount(rows);
    ListMail_->viewport()->repaint();
}

void TForm1::ListFolderClick() {
    if (ListFolder_->FocusedNodeData() != nullptr) LoadCurrentFolder();
}

void TForm1::LoadCurrentFolder() {
    RunCommand([this] { DoLoadCurrentFolder(); });
}

void TForm1::DoLoadCurrentFolder() {
    CancelRequested = false;
    state_.RecoveredMode = false;
    CommandGuard guard(this);
    if (ListFolder_->NodeCount() == 0) return;

    // Asked at every load: the registry may have changed since the last one.
    const FolderLoadPlan plan =
        PlanFolderLoad(state_.CurrentMailFile, locateStoreRoot_(), ListFolder_->FocusedNodeData(),
                       ListFolder_->NodeCount(), state_.FileJustOpened);
    state_.CurrentMailFile = plan.CurrentMailFile;

    ShowMessageListRows(0);
    state_.MessageList.clear();
    RichEdit1_.clear();
    if (plan.ReadIndex) {
        // Never a catalogue's records: with no folder list given the reader lists nothing
        // from a catalogue.
        ReadDbxIndex(reader_, state_.CurrentMailFile, nullptr, &state_.MessageList);
    }
    state_.FileJustOpened = false;
    if (!state_.MessageList.empty()) PresentMessageList(guard);
}

void TForm1::PresentMessageList(CommandGuard& guard) {
    RichEdit1_.clear();
    ShowMessageListRows(0);
    if (state_.MessageList.empty()) return;

    TFrmProgress& progress = FrmProgress();
    struct Close {
        TFrmProgress& Progress;
        CommandGuard& Guard;
        ~Close() {
            Progress.Finish();
            Guard.Release();
        }
    } closing{progress, guard};
    progress.ShowOver(this);
    progress.SetBar(0);
    progress.SetTitle(QStringLiteral("Analyzing the mailbox---") +
                      PathQString(FileNamePart(state_.CurrentMailFile)));
    progress.RepaintNow();
    ShowMessageListRows(static_cast<int>(state_.MessageList.size()));
}

void TForm1::ListMailColumnClick(int column) {
    RunCommand([this, column] {
        state_.SortColumn = column;
        SortMessageList(state_.MessageList, state_.SortColumn, state_.SortDescending);
        state_.SortDescending = !state_.SortDescending;
        ListMailModel_->RefreshRows();
    });
}

void TForm1::OpenMailFile() {
    RunCommand([this] { DoOpenMailFile(); });
}

void TForm1::DoOpenMailFile() {
    const std::optional<QString> chosen = interaction_.ChooseMailFile(this);
    if (!chosen) return;
    state_.CurrentMailFile = PathText(*chosen);
    // Exactly this name, in this case: "Folders.dbx" is read as a folder of messages.
    if (IsCatalogueFile(state_.CurrentMailFile)) {
        OpenCatalogue();
    } else {
        OpenSingleFile(state_.CurrentMailFile);
    }
}

void TForm1::OpenCatalogue() {
    ShowMessageListRows(0);
    state_.FolderList.clear();
    state_.MessageList.clear();
    // Read before the old tree goes, so a file that cannot be opened leaves it standing.
    ReadDbxIndex(reader_, state_.CurrentMailFile, &state_.FolderList, nullptr);
    ListFolder_->RemoveAllNodes();
    if (!state_.FolderList.empty()) ListFolder_->BuildFolderTree(state_.FolderList);
}

void TForm1::OpenSingleFile(const std::string& path) {
    ShowMessageListRows(0);
    state_.FolderList.clear();
    state_.MessageList.clear();
    MessageList scratch;
    ReadDbxIndex(reader_, path, nullptr, &scratch);
    const bool corrupted = scratch.empty();
    scratch.clear();

    ListFolder_->RemoveAllNodes();
    Toe5_FolderInfo node;
    node.FolderName = FileNamePart(path);
    node.FileName = path;
    ListFolder_->AddSingleFileNode(node);

    state_.FileJustOpened = true;
    DoLoadCurrentFolder();
    if (corrupted) interaction_.ShowNotice(this, QString::fromLatin1(kCorruptedFileNotice));
}

}  // namespace dorvane::ui
