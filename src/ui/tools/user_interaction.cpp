#include "ui/tools/user_interaction.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>
#include <QWidget>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// windows.h must come first; the shell header needs its types.
#include <shellapi.h>
#endif

#include "ui/main/error_box_text.h"

namespace dorvane::ui {

QString MailFileFilter() {
    // The details in the last brackets are hidden from view (HideNameFilterDetails), so the
    // user reads the text before them; the character classes make the match ignore case
    // on file systems that do not.
    return QStringLiteral("DBX and DBT files(*.dbx,*.dbt) (*.[dD][bB][xX] *.[dD][bB][tT])");
}

namespace {

// One existing file, chosen through a dialog that shows filter's text and hides its
// patterns.
std::optional<QString> ChooseExistingFile(QWidget* owner, const QString& filter) {
    QFileDialog dialog(owner);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilter(filter);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
#ifndef _WIN32
    // The desktop portals' dialogs show the patterns and match them case-sensitively.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
#endif
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().front();
}

}  // namespace

QString ApplicationCaption() {
    return QString::fromStdString(
        ApplicationTitle(QCoreApplication::applicationFilePath().toStdString()));
}

void DesktopInteraction::ShowNotice(QWidget* owner, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, ApplicationCaption(), text, QMessageBox::Ok, owner);
    box.exec();
}

void DesktopInteraction::ShowErrorBox(QWidget* owner, const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, owner);
    box.exec();
}

std::optional<QString> DesktopInteraction::ChooseMailFile(QWidget* owner) {
    return ChooseExistingFile(owner, MailFileFilter());
}

std::optional<QString> DesktopInteraction::ChooseDirectory(QWidget* owner, const QString& title) {
    // Started afresh at the top of the computer every time, with nothing preselected, and
    // offering only directories of the file system. On Windows an empty start is "My
    // Computer", the list of drives; elsewhere the file system's root.
#ifdef _WIN32
    const QString top;
#else
    const QString top = QDir::rootPath();
#endif
    const QString directory =
        QFileDialog::getExistingDirectory(owner, title, top, QFileDialog::ShowDirsOnly);
    if (directory.isEmpty()) return std::nullopt;
    // Paths as the platform writes them, so a delimiter appended later matches the rest.
    return QDir::toNativeSeparators(directory);
}

std::optional<QString> DesktopInteraction::ChooseBatchSourceFile(QWidget* owner) {
    return ChooseExistingFile(owner, QStringLiteral("DBX files (*.DBX) (*.[dD][bB][xX])"));
}

void DesktopInteraction::OpenWithShell(QWidget*, const QString& path) {
    // On Windows this is the shell's "open" verb; elsewhere the desktop's opener for the
    // file's type. Both return at once, and a missing opener is nobody's business here.
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

#ifdef _WIN32
void DesktopInteraction::ShellRequest(QWidget* owner, const QString& verb, const QString& file,
                                      const QString& parameters, ShowCommand show) {
    int showCommand = SW_SHOW;
    switch (show) {
        case ShowCommand::Hide:
            showCommand = SW_HIDE;
            break;
        case ShowCommand::ShowNormal:
            showCommand = SW_SHOWNORMAL;
            break;
        case ShowCommand::Show:
            showCommand = SW_SHOW;
            break;
    }
    HWND window = owner != nullptr ? reinterpret_cast<HWND>(owner->window()->winId()) : nullptr;
    const std::wstring verbText = verb.toStdWString();
    const std::wstring fileText = file.toStdWString();
    const std::wstring parameterText = parameters.toStdWString();
    // A null verb is the shell's default verb for the file, not the verb "".
    ShellExecuteW(window, verb.isEmpty() ? nullptr : verbText.c_str(), fileText.c_str(),
                  parameters.isEmpty() ? nullptr : parameterText.c_str(), nullptr, showCommand);
}
#else
void DesktopInteraction::ShellRequest(QWidget*, const QString&, const QString& file,
                                      const QString& parameters, ShowCommand) {
    // No shell verbs and no IEXPLORE.EXE here: the desktop's opener shows what the request
    // is about. A browser program named with an address gets the address; an address with
    // a scheme of its own ("mailto:", "https:") goes as it is; anything else is a local
    // file. Show commands have no counterpart; the opener decides.
    const QString program = file.section(QLatin1Char('\\'), -1).section(QLatin1Char('/'), -1);
    if (program.compare(QStringLiteral("IEXPLORE.EXE"), Qt::CaseInsensitive) == 0) {
        if (!parameters.isEmpty()) QDesktopServices::openUrl(QUrl(parameters));
        return;
    }
    const QUrl address(file);
    // A one-letter scheme is a Windows drive ("C:"), not an address.
    if (address.scheme().size() > 1) {
        QDesktopServices::openUrl(address);
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(file));
}
#endif

QString DesktopInteraction::ProgramDirectory() const {
    return QCoreApplication::applicationDirPath();
}

}  // namespace dorvane::ui
