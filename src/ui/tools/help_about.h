#pragma once

// The Help menu's three commands: the help file, the product's web page and the about box.
// The first two, and the about box's links, hand a file or an address to the shell and
// never look at what it made of them.

#include <QDialog>
#include <QLabel>

class QFrame;
class QPushButton;

namespace dorvane::ui {

class TForm1;
class UserInteraction;

// The product's web page: the about box's web link shows it and the browser is given it.
inline const QString kWebAddress = QStringLiteral("https://dorvane.example.org/");
// Support's mail address: the support link shows it, and "mailto:" plus it goes to the
// shell.
inline const QString kSupportAddress = QStringLiteral("support@dorvane.example.org");
// The help file's name; it lies beside the program's executable.
inline const QString kHelpFileName = QStringLiteral("help.chm");

// "Version " and the product's version number (the build's project version).
QString VersionText();
// The legal notice line of the about box.
QString LegalNoticeText();

// A label that reads as a link: blue, underlined, the hand cursor, and a click.
class TLinkLabel : public QLabel {
    Q_OBJECT
  public:
    TLinkLabel(const QString& text, QWidget* parent);

  signals:
    void Clicked();

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

class TAboutBox : public QDialog {
    Q_OBJECT
  public:
    // The box's links ask the shell through interaction, on the box's behalf.
    TAboutBox(UserInteraction& interaction, QWidget* parent);

    QFrame* Panel;
    QLabel* ProgramIcon;
    QLabel* ProductName;
    QLabel* Version;
    QLabel* LegalNotice;
    QLabel* WebSiteLabel;
    TLinkLabel* WebLink;
    QLabel* TechSupportLabel;
    TLinkLabel* SupportLink;
    QPushButton* OKButton;

  private:
    void WebLinkClick();
    void SupportLinkClick();
    void OKButtonClick();

    UserInteraction& interaction_;
};

// Makes the about box, hidden, once; the program calls it at start-up. The box belongs to
// the main window and so lives as long as the program. A second call changes nothing.
void CreateAboutBox(TForm1& form);
// The about box, or null before CreateAboutBox (and after its window is gone).
TAboutBox* AboutBox();

// Help: the shell opens help.chm from the program's directory, whatever the working
// directory.
void ShowHelp(TForm1& form);
// Web page: the shell starts the browser with the product's web address.
void ShowWebPage(QWidget* owner, UserInteraction& interaction);
// About: the about box, not modal, in front.
void ShowAbout(TForm1& form);

}  // namespace dorvane::ui
