#pragma once

// The one door through which the windows talk to the user outside their own controls:
// message boxes, file and directory choosers, the shell's opener and the program's own
// directory. Tests put a scripted stand-in here and set its answers in advance, so no
// modal box ever waits for a hand that is not there.

#include <optional>

#include <QString>

class QWidget;

namespace dorvane::ui {

class UserInteraction {
  public:
    // How the shell shows what it starts: the values of the Windows shell's show commands
    // SW_HIDE, SW_SHOWNORMAL and SW_SHOW.
    enum class ShowCommand { Hide, ShowNormal, Show };

    virtual ~UserInteraction() = default;

    // A plain box with the text and an OK button, captioned with the application's title.
    virtual void ShowNotice(QWidget* owner, const QString& text) = 0;
    // The application's error box: stop icon, OK button.
    virtual void ShowErrorBox(QWidget* owner, const QString& caption, const QString& text) = 0;
    // The file-open dialog for mail files; nothing when the user cancels it.
    virtual std::optional<QString> ChooseMailFile(QWidget* owner) = 0;
    // A directory chooser with a title; nothing when the user cancels it.
    virtual std::optional<QString> ChooseDirectory(QWidget* owner, const QString& title) = 0;
    // Batch Mode's file-open dialog (filter "DBX files (*.DBX)|*.dbx"); nothing on cancel.
    virtual std::optional<QString> ChooseBatchSourceFile(QWidget* owner) = 0;
    // Hands a file to the desktop's opener for its type; neither waits nor reports.
    virtual void OpenWithShell(QWidget* owner, const QString& path) = 0;
    // Asks the shell to perform verb (empty: the file's default verb) on file, with
    // parameters and no working directory, on behalf of owner. Its outcome is ignored: the
    // shell shows its own message when it fails. Named apart from the Windows macro.
    virtual void ShellRequest(QWidget* owner, const QString& verb, const QString& file,
                              const QString& parameters, ShowCommand show) = 0;
    // Where the running program lies; temp.eml is written here.
    virtual QString ProgramDirectory() const = 0;
};

// The real thing: Qt's message boxes and file dialogs, the desktop's opener.
class DesktopInteraction : public UserInteraction {
  public:
    void ShowNotice(QWidget* owner, const QString& text) override;
    void ShowErrorBox(QWidget* owner, const QString& caption, const QString& text) override;
    std::optional<QString> ChooseMailFile(QWidget* owner) override;
    std::optional<QString> ChooseDirectory(QWidget* owner, const QString& title) override;
    std::optional<QString> ChooseBatchSourceFile(QWidget* owner) override;
    void OpenWithShell(QWidget* owner, const QString& path) override;
    void ShellRequest(QWidget* owner, const QString& verb, const QString& file,
                      const QString& parameters, ShowCommand show) override;
    QString ProgramDirectory() const override;
};

// The file-open dialog's one filter: shown as "DBX and DBT files(*.dbx,*.dbt)", matching
// .dbx and .dbt files in any letter case, also where file names are case-sensitive.
QString MailFileFilter();

// The caption of the application's boxes (the program file's name without extension).
QString ApplicationCaption();

}  // namespace dorvane::ui
