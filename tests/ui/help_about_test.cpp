// The Help menu's commands and the about box, with every shell request caught by the
// scripted stand-in.

#include <memory>

#include <QDir>
#include <QFrame>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "scripted_interaction.h"
#include "ui/main/main_window.h"
#include "ui/tools/help_about.h"
#include "window_fixtures.h"

using namespace dorvane::ui;
using dorvane::ui::test::ShellCall;
using Show = dorvane::ui::UserInteraction::ShowCommand;

Q_DECLARE_METATYPE(dorvane::ui::UserInteraction::ShowCommand)

namespace {

using Session = dorvane::ui::test::WindowSession;

void CheckCall(const ShellCall& call, QWidget* owner, const QString& verb, const QString& file,
               const QString& parameters, Show show) {
    QCOMPARE(call.Owner, owner);
    QCOMPARE(call.Verb, verb);
    QCOMPARE(call.File, file);
    QCOMPARE(call.Parameters, parameters);
    QCOMPARE(call.Show, show);
}

}  // namespace

class HelpAboutTest : public QObject {
    Q_OBJECT
  private slots:
    void HelpOpensTheFileBesideTheProgram_data() {
        QTest::addColumn<bool>("trailingSeparator");
        QTest::newRow("directory as given") << false;
        QTest::newRow("directory ending in a separator") << true;
    }

    // The path comes from the program's directory, never from the working directory, and
    // a missing help file is the shell's business: the program shows nothing.
    void HelpOpensTheFileBesideTheProgram() {
        QFETCH(bool, trailingSeparator);
        Session s;
        QTemporaryDir elsewhere;
        const QString programDir = QDir::toNativeSeparators(s.Store.Root.path());
        s.Interaction.Directory =
            programDir + (trailingSeparator ? QString(QDir::separator()) : "");
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(elsewhere.path()));

        ShowHelp(*s.Window);
        QDir::setCurrent(before);

        QCOMPARE(s.Interaction.ShellRequests.size(), std::size_t{1});
        CheckCall(s.Interaction.ShellRequests[0], s.Window.get(), "open",
                  programDir + QDir::separator() + "help.chm", QString(), Show::Show);
        QVERIFY(s.Interaction.Boxes.empty());
        QVERIFY(s.Interaction.ShellOpens.empty());
    }

    void WebPageStartsTheBrowserWithTheAddress() {
        Session s;
        ShowWebPage(s.Window.get(), s.Interaction);
        QCOMPARE(s.Interaction.ShellRequests.size(), std::size_t{1});
        CheckCall(s.Interaction.ShellRequests[0], s.Window.get(), "open", "IEXPLORE.EXE",
                  "https://dorvane.example.org/", Show::ShowNormal);
        QVERIFY(s.Interaction.Boxes.empty());
    }

    // Made hidden once; every About shows that same box, modeless, in front; OK and Enter
    // hide it again.
    void AboutShowsTheOneBoxModeless() {
        Session s;
        CreateAboutBox(*s.Window);
        TAboutBox* box = AboutBox();
        if (box == nullptr) {
            QFAIL("no About box was made");
        }
        QVERIFY(!box->isVisible());
        CreateAboutBox(*s.Window);
        QCOMPARE(AboutBox(), box);

        for (int round = 0; round < 2; ++round) {
            ShowAbout(*s.Window);
            QCOMPARE(AboutBox(), box);
            QVERIFY(box->isVisible());
            QVERIFY(!box->isModal());
            QVERIFY(QApplication::activeModalWidget() == nullptr);
            QVERIFY(QTest::qWaitForWindowExposed(box));
            // The main window still takes commands while the box is up.
            QVERIFY(s.Window->isEnabled());
            if (round == 0) {
                QTest::mouseClick(box->OKButton, Qt::LeftButton);
            } else {
                QVERIFY(QTest::qWaitForWindowActive(box));
                QTest::keyClick(box, Qt::Key_Return);
            }
            QVERIFY(!box->isVisible());
        }
        QVERIFY(s.Interaction.ShellRequests.empty());
    }

    void AboutBoxLooksAsDesigned() {
        Session s;
        ShowAbout(*s.Window);
        TAboutBox& box = *AboutBox();
        QCOMPARE(box.windowTitle(), QStringLiteral("About Dorvane"));
        QCOMPARE(box.size(), QSize(320, 249));
        // Centred on the screen, not over the main window.
        const QPoint offCentre =
            box.frameGeometry().center() - box.screen()->availableGeometry().center();
        QVERIFY2(qAbs(offCentre.x()) <= 2 && qAbs(offCentre.y()) <= 2,
                 qPrintable(QStringLiteral("%1,%2").arg(offCentre.x()).arg(offCentre.y())));
        QCOMPARE(box.font().family(), QStringLiteral("MS Sans Serif"));
        QCOMPARE(box.font().pointSize(), 8);
        QCOMPARE(box.Panel->geometry(), QRect(8, 8, 305, 209));
        QCOMPARE(box.ProgramIcon->geometry(), QRect(8, 8, 65, 57));
        QVERIFY(!box.ProgramIcon->pixmap().isNull());
        QCOMPARE(box.ProductName->text(), QStringLiteral("Dorvane"));
        QCOMPARE(box.ProductName->pos(), QPoint(88, 16));
        QVERIFY2(
            QRegularExpression(R"(^Version \d+\.\d+\.\d+$)").match(box.Version->text()).hasMatch(),
            qPrintable(box.Version->text()));
        QCOMPARE(box.Version->pos(), QPoint(88, 40));
        QVERIFY(!box.LegalNotice->text().isEmpty());
        QCOMPARE(box.LegalNotice->pos(), QPoint(8, 128));
        QCOMPARE(box.WebSiteLabel->text(), QStringLiteral("Web Site:"));
        QCOMPARE(box.TechSupportLabel->text(), QStringLiteral("Tech Support:"));
        QCOMPARE(box.WebLink->text(), QStringLiteral("https://dorvane.example.org/"));
        QCOMPARE(box.WebLink->pos(), QPoint(80, 152));
        QCOMPARE(box.SupportLink->text(), QStringLiteral("support@dorvane.example.org"));
        QCOMPARE(box.SupportLink->pos(), QPoint(80, 176));
        for (QLabel* link :
             {static_cast<QLabel*>(box.WebLink), static_cast<QLabel*>(box.SupportLink)}) {
            QCOMPARE(link->palette().color(QPalette::WindowText), QColor(Qt::blue));
            QVERIFY(link->font().underline());
            QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
            // The whole address shows: the link is not clipped by the panel.
            QVERIFY(box.Panel->rect().contains(link->geometry()));
        }
        QCOMPARE(box.OKButton->text(), QStringLiteral("OK"));
        QCOMPARE(box.OKButton->geometry(), QRect(111, 220, 75, 25));
        QVERIFY(box.OKButton->isDefault());
    }

    // The links ask the shell on the about box's behalf; the box stays up.
    void AboutBoxLinksGoToTheShell() {
        Session s;
        ShowAbout(*s.Window);
        TAboutBox* box = AboutBox();
        QTest::mouseClick(box->WebLink, Qt::LeftButton);
        QTest::mouseClick(box->SupportLink, Qt::LeftButton);
        // A right click is no click on a link.
        QTest::mouseClick(box->SupportLink, Qt::RightButton);

        QCOMPARE(s.Interaction.ShellRequests.size(), std::size_t{2});
        CheckCall(s.Interaction.ShellRequests[0], box, "open", "IEXPLORE.EXE",
                  "https://dorvane.example.org/", Show::ShowNormal);
        CheckCall(s.Interaction.ShellRequests[1], box, QString(),
                  "mailto:support@dorvane.example.org", QString(), Show::Hide);
        QVERIFY(s.Interaction.ShellRequests[1].Verb.isEmpty());
        QVERIFY(box->isVisible());
        QVERIFY(s.Interaction.Boxes.empty());
    }

    // The box belongs to its window: a new window after the old one is gone gets a box of
    // its own, which speaks through the new window's interaction.
    void ANewWindowGetsItsOwnBox() {
        {
            Session first;
            CreateAboutBox(*first.Window);
            QVERIFY(AboutBox() != nullptr);
        }
        QVERIFY(AboutBox() == nullptr);
        Session second;
        ShowAbout(*second.Window);
        QVERIFY(AboutBox() != nullptr);
        QTest::mouseClick(AboutBox()->SupportLink, Qt::LeftButton);
        QCOMPARE(second.Interaction.ShellRequests.size(), std::size_t{1});
    }
};

QTEST_MAIN(HelpAboutTest)
#include "help_about_test.moc"
