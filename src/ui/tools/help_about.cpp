#include "ui/tools/help_about.h"

#include <qdrawutil.h>
#include <QApplication>
#include <QDir>
#include <QFrame>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include "ui/main/main_window.h"
#include "ui/tools/tool_window.h"
#include "ui/tools/user_interaction.h"

// The build passes the project's version; a build that does not still shows a well-formed
// version line rather than failing to compile.
#ifndef DORVANE_VERSION
#define DORVANE_VERSION "0.0.0"
#endif

namespace dorvane::ui {

namespace {

constexpr int kClientWidth = 320;
constexpr int kClientHeight = 249;

QPointer<TAboutBox>& Instance() {
    static QPointer<TAboutBox> instance;
    return instance;
}

// The panel's frame: a lowered outer bevel around a raised inner one.
class BevelPanel : public QFrame {
  public:
    using QFrame::QFrame;

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        qDrawShadePanel(&painter, rect(), palette(), true, 1);
        qDrawShadePanel(&painter, rect().adjusted(1, 1, -1, -1), palette(), false, 1);
    }
};

QLabel* PlacedLabel(const QString& text, QWidget* parent, int left, int top) {
    auto* label = new QLabel(text, parent);
    label->move(left, top);
    label->adjustSize();
    return label;
}

// The program's picture: the application's icon, or the style's stand-in where the program
// has none.
QPixmap ProgramPicture(const QWidget& widget, QSize size) {
    QIcon icon = QApplication::windowIcon();
    if (icon.isNull()) icon = widget.style()->standardIcon(QStyle::SP_ComputerIcon);
    return icon.pixmap(size);
}

}  // namespace

QString VersionText() {
    return QStringLiteral("Version ") + QStringLiteral(DORVANE_VERSION);
}

QString LegalNoticeText() {
    return QStringLiteral("Copyright \u00A9 2026 the Dorvane developers. All rights reserved.");
}

TLinkLabel::TLinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    QPalette blue = palette();
    blue.setColor(QPalette::WindowText, Qt::blue);
    setPalette(blue);
    setCursor(Qt::PointingHandCursor);
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    // A press dragged off the link and released elsewhere is no click.
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit Clicked();
    }
}

TAboutBox::TAboutBox(UserInteraction& interaction, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      interaction_(interaction) {
    setWindowTitle(QStringLiteral("About Dorvane"));
    setFixedSize(kClientWidth, kClientHeight);
    setFont(ToolWindowFont());
    if (!QApplication::windowIcon().isNull()) setWindowIcon(QApplication::windowIcon());

    Panel = new BevelPanel(this);
    Panel->setGeometry(8, 8, 305, 209);

    ProgramIcon = new QLabel(Panel);
    ProgramIcon->setGeometry(8, 8, 65, 57);
    ProgramIcon->setScaledContents(true);
    ProgramIcon->setPixmap(ProgramPicture(*this, ProgramIcon->size()));

    ProductName = PlacedLabel(QStringLiteral("Dorvane"), Panel, 88, 16);
    Version = PlacedLabel(VersionText(), Panel, 88, 40);
    LegalNotice = PlacedLabel(LegalNoticeText(), Panel, 8, 128);
    WebSiteLabel = PlacedLabel(QStringLiteral("Web Site:"), Panel, 8, 152);
    WebLink = new TLinkLabel(kWebAddress, Panel);
    WebLink->move(80, 152);
    WebLink->adjustSize();
    TechSupportLabel = PlacedLabel(QStringLiteral("Tech Support:"), Panel, 8, 176);
    SupportLink = new TLinkLabel(kSupportAddress, Panel);
    SupportLink->move(80, 176);
    SupportLink->adjustSize();

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setGeometry(111, 220, 75, 25);
    OKButton->setDefault(true);
    OKButton->setAutoDefault(true);

    connect(WebLink, &TLinkLabel::Clicked, this, &TAboutBox::WebLinkClick);
    connect(SupportLink, &TLinkLabel::Clicked, this, &TAboutBox::SupportLinkClick);
    connect(OKButton, &QPushButton::clicked, this, &TAboutBox::OKButtonClick);
}

void TAboutBox::WebLinkClick() {
    ShowWebPage(this, interaction_);
}

void TAboutBox::SupportLinkClick() {
    interaction_.ShellRequest(this, QString(), QStringLiteral("mailto:") + kSupportAddress,
                              QString(), UserInteraction::ShowCommand::Hide);
}

void TAboutBox::OKButtonClick() {
    hide();
}

void CreateAboutBox(TForm1& form) {
    if (Instance()) return;
    auto* box = new TAboutBox(form.Interaction(), &form);
    // Centred on the screen, not over the window; moving it now also keeps the first show
    // from placing it over its parent.
    QScreen* screen = form.screen() != nullptr ? form.screen() : QGuiApplication::primaryScreen();
    if (screen != nullptr) {
        QRect placed(QPoint(0, 0), box->size());
        placed.moveCenter(screen->availableGeometry().center());
        box->move(placed.topLeft());
    }
    Instance() = box;
}

TAboutBox* AboutBox() {
    return Instance().data();
}

void ShowHelp(TForm1& form) {
    QString path = QDir::toNativeSeparators(form.Interaction().ProgramDirectory());
    if (!path.endsWith(QDir::separator())) path += QDir::separator();
    form.Interaction().ShellRequest(&form, QStringLiteral("open"), path + kHelpFileName, QString(),
                                    UserInteraction::ShowCommand::Show);
}

void ShowWebPage(QWidget* owner, UserInteraction& interaction) {
    interaction.ShellRequest(owner, QStringLiteral("open"), QStringLiteral("IEXPLORE.EXE"),
                             kWebAddress, UserInteraction::ShowCommand::ShowNormal);
}

void ShowAbout(TForm1& form) {
    // Made at start-up; should a caller come first, it is made now rather than not shown.
    CreateAboutBox(form);
    TAboutBox* box = AboutBox();
    box->show();
    box->raise();
    box->activateWindow();
}

}  // namespace dorvane::ui
