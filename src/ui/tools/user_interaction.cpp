#include "ui/tools/user_interaction.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>

#include "ui/main/error_box_text.h"

namespace dorvane::ui {

QString MailFileFilter() {
    // The details in the last brackets are hidden from view (HideNameFilterDetails), so the
    // user reads the text before them; the character classes make the match ignore case
    // on file systems that do not.
    return QStringLiteral("DBX and DBT files(*.dbx,*.dbt) (*.[dD][bB][xX] *.[dD][bB][tT])");
}

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
    QFileDialog dialog(owner);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilter(MailFileFilter());
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

std::optional<QString> DesktopInteraction::ChooseDirectory(QWidget* owner, const QString& title) {
    const QString directory = QFileDialog::getExistingDirectory(owner, title);
    if (directory.isEmpty()) return std::nullopt;
    return directory;
}

std::optional<QString> DesktopInteraction::ChooseBatchSourceFile(QWidget* owner) {
    QFileDialog dialog(owner);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilter(QStringLiteral("DBX files (*.DBX) (*.[dD][bB][xX])"));
    dialog.setOption(QFileDialog::HideNameFilterDetails);
#ifndef _WIN32
    dialog.setOption(QFileDialog::DontUseNativeDialog);
#endif
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().front();
}

void DesktopInteraction::OpenUrl(QWidget*, const QString& url) {
    QDesktopServices::openUrl(QUrl(url));
}

void DesktopInteraction::OpenWithShell(QWidget*, const QString& path) {
    // On Windows this is the shell's "open" verb; elsewhere the desktop's opener for the
    // file's type. Both return at once, and a missing opener is nobody's business here.
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

QString DesktopInteraction::ProgramDirectory() const {
    return QCoreApplication::applicationDirPath();
}

}  // namespace dorvane::ui
