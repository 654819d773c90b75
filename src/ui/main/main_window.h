#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <QMainWindow>

#include "ui/main/browser_state.h"

class QAction;
class QToolBar;

namespace dorvane::ui {

class CommandGuard;
class FolderTreeView;
class MessageListModel;
class MessageListView;
class UserInteraction;

// The main window: the folder tree on the left, the message list on the right, the menus
// and the "Quick" toolbar; the owner of the browsing state and the starting point of every
// command.
class TForm1 : public QMainWindow {
    Q_OBJECT
  public:
    // Where the store lies; the registry lookup unless a test says otherwise.
    using StoreLocator = std::function<std::string()>;

    explicit TForm1(UserInteraction& interaction, StoreLocator locateStoreRoot = {});
    ~TForm1() override;

    BrowserState& State() { return state_; }
    FolderTreeView* ListFolder() const { return ListFolder_; }
    MessageListView* ListMail() const { return ListMail_; }
    MessageListModel* ListMailModel() const { return ListMailModel_; }
    QToolBar* QuickToolBar() const { return Quick_; }
    // The hidden text buffer the previewed and exported text passes through.
    const std::string& RichEdit1() const { return RichEdit1_; }
    std::string& RichEdit1() { return RichEdit1_; }
    ReaderState& Reader() { return reader_; }
    UserInteraction& Interaction() { return interaction_; }

    // Runs one command: an error it does not handle ends it and shows in the error box.
    void RunCommand(const std::function<void()>& command);
    // The application's error box for an error's text.
    void ShowErrorBox(const std::string& errorText);

    // The commands; each ends in the error box rather than with an exception.
    void LoadCurrentFolder();
    void OpenMailFile();
    void ViewCurrentMessage();
    void RecoverMessages();
    void ListMailColumnClick(int column);
    void ListFolderClick();
    void ListMailSelectItem(int row, bool selected);
    void ExtractAllMessages();
    void ExtractSelectedMessages();
    // Writes the message of the list's row to targetPath through RichEdit1, with the
    // message's received time as the file's time. False when the file cannot be written;
    // an error reading the message propagates.
    bool ExportMessage(const std::string& targetPath, int row);

    // Shows MessageList in the list under the progress dialog; gives the window back
    // through guard once the rows are shown.
    void PresentMessageList(CommandGuard& guard);
    // The number of rows the list shows; the search narrows the list through it.
    void SetListRowCount(int rows);

    // The menu items and toolbar buttons that other windows hang their commands on: a menu
    // item by its caption ("Extract all mail"), a toolbar button by "Quick/" and its
    // caption ("Quick/Extract All").
    QAction* ActionByCaption(const QString& caption) const;

  private:
    void FormCreate();
    void FormDestroy();
    void BuildMenusAndToolBar();
    void ShowMessageListRows(int rows);
    void DoLoadCurrentFolder();
    void DoOpenMailFile();
    void DoRecoverMessages();
    void DoListMailSelectItem(int row);
    // Reads the text of the message at row into RichEdit1_, under the busy cursor.
    void ReadRowIntoRichEdit(int row);
    void OpenCatalogue();
    void OpenSingleFile(const std::string& path);
    QString TempEmlPath() const;
    void DoExtractMessages(bool selectedOnly);
    std::optional<std::string> ChooseTargetDirectory();
    std::string ExportFilePathOf(const std::string& directory, std::size_t sequence, int row) const;

    UserInteraction& interaction_;
    StoreLocator locateStoreRoot_;
    BrowserState state_;
    ReaderState reader_;
    std::string RichEdit1_;
    FolderTreeView* ListFolder_ = nullptr;
    MessageListView* ListMail_ = nullptr;
    MessageListModel* ListMailModel_ = nullptr;
    QToolBar* Quick_ = nullptr;
};

}  // namespace dorvane::ui
