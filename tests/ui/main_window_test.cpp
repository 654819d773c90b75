// The main window as a user lives through it, on fixture stores, with every box, chooser
// and shell call answered by the scripted stand-in.

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#include "platform/platform_error.h"
#include "scripted_interaction.h"
#include "store/store_location.h"
#include "store/store_paths.h"
#include "ui/main/folder_tree_view.h"
#include "ui/main/form_scaler.h"
#include "ui/main/main_window.h"
#include "ui/main/message_list_model.h"
#include "ui/main/message_list_view.h"
#include "ui/tools/batch_window.h"
#include "ui/tools/help_about.h"
#include "ui/tools/progress_dialog.h"
#include "window_fixtures.h"

using namespace dorvane;
using namespace dorvane::ui;
using dorvane::ui::test::FixtureStore;
using dorvane::ui::test::ReadFileBytes;
using dorvane::ui::test::ScriptedInteraction;
using dorvane::ui::test::ShownBox;

namespace {

// The registry of the user running the tests, as the program asks it.
std::string RealLookup() {
    return LocateStoreRoot();
}

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// A window on a fixture store, shown on the offscreen screen so clicks land.
struct Session : dorvane::ui::test::WindowSession {
    using WindowSession::WindowSession;

    QTreeWidgetItem* Node(const QString& text) const {
        const auto found =
            Window->ListFolder()->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.front();
    }
    void ClickNode(const QString& text) {
        QTreeWidgetItem* node = Node(text);
        QVERIFY2(node != nullptr, qPrintable(text));
        FolderTreeView* tree = Window->ListFolder();
        tree->scrollToItem(node);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                          tree->visualItemRect(node).center());
    }
    void ClickRow(int row, Qt::KeyboardModifiers modifiers = {}) {
        MessageListView* list = Window->ListMail();
        const QModelIndex cell = Window->ListMailModel()->index(row, 3);
        list->scrollTo(cell);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers,
                          list->visualRect(cell).center());
    }
    int Rows() const { return Window->ListMailModel()->rowCount(); }
    QString Cell(int row, int column) const {
        return Window->ListMailModel()->index(row, column).data().toString();
    }
    QStringList Column(int column) const {
        QStringList texts;
        for (int row = 0; row < Rows(); ++row) texts << Cell(row, column);
        return texts;
    }
    std::string TempEml() const {
        return ReadFileBytes(Store.Root.filePath("temp.eml").toStdString());
    }
    bool Idle() const {
        return Window->isEnabled() && QApplication::overrideCursor() == nullptr &&
               !FrmProgress().isVisible();
    }
};

// A registry prefix for the real lookup: user.reg holding the given lines.
struct WinePrefix {
    QTemporaryDir Dir;
    QByteArray Saved = qgetenv("WINEPREFIX");
    explicit WinePrefix(const std::string& lines) {
        std::ofstream(Dir.filePath("user.reg").toStdString(), std::ios::binary)
            << "WINE REGISTRY Version 2\n\n"
            << lines;
        qputenv("WINEPREFIX", Dir.path().toLocal8Bit());
    }
    ~WinePrefix() { qputenv("WINEPREFIX", Saved); }
};

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanupTestCase() { ReleaseFrmProgress(); }

    void windowShapeMenusAndToolbar() {
        Session s;
        TForm1& w = *s.Window;
        QCOMPARE(w.windowTitle(), QStringLiteral("Dorvane"));
        QCOMPARE(w.size(), QSize(746, 520));
        QStringList menus;
        for (QAction* menu : w.menuBar()->actions()) menus << menu->text();
        QCOMPARE(menus, (QStringList{"File", "Actions", "Help"}));
        const QStringList expectedItems{"Open DBX File",
                                        "Exit",
                                        "Search",
                                        "View the current mail",
                                        "Extract all mail",
                                        "Extract Selected mail",
                                        "Batch Mode",
                                        "Dorvane Help",
                                        "Dorvane on the web",
                                        "About Dorvane"};
        QStringList items;
        for (QAction* menu : w.menuBar()->actions()) {
            for (QAction* item : menu->menu()->actions()) {
                items << item->text();
                QVERIFY(item->isEnabled());
                QVERIFY(item->shortcut().isEmpty());
            }
        }
        QCOMPARE(items, expectedItems);
        QToolBar* quick = w.QuickToolBar();
        QCOMPARE(quick->windowTitle(), QStringLiteral("Quick"));
        QCOMPARE(quick->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        QStringList buttons;
        for (QAction* button : quick->actions()) {
            buttons << button->text();
            QCOMPARE(button->toolTip(), button->text());
            QVERIFY(button->isEnabled());
            QVERIFY(!button->icon().isNull());
        }
        QCOMPARE(buttons,
                 (QStringList{"Open Archive", "Search Mail", "Extract All", "Extract Selected",
                              "Recover", "View", "Batch Mode", "Help"}));
        QVERIFY(w.ActionByCaption("Search") != nullptr);
        QVERIFY(w.ActionByCaption("Quick/Search Mail") != nullptr);
        QCOMPARE(w.ListFolder()->width(), 245);
        // The tool commands hang on both: Search on the empty list says so from either.
        w.ActionByCaption("Quick/Search Mail")->trigger();
        w.ActionByCaption("Search")->trigger();
        QCOMPARE(s.Interaction.Boxes.size(), std::size_t{2});
        QCOMPARE(s.Interaction.Boxes[1].Text,
                 QStringLiteral("The Choosed mailbox does not has any email for search!"));
        // Batch Mode's windows exist from the start; the command shows the batch window.
        QVERIFY(Frmbatch() != nullptr && Frmaddfile() != nullptr);
        QVERIFY(!Frmaddfile()->isVisible());
        w.ActionByCaption("Quick/Batch Mode")->trigger();
        QVERIFY(Frmbatch()->isVisible());
        Frmbatch()->hide();
        w.ActionByCaption("Batch Mode")->trigger();
        QVERIFY(Frmbatch()->isVisible());
        // Help, the web page and the about box.
        w.ActionByCaption("Quick/Help")->trigger();
        w.ActionByCaption("Dorvane Help")->trigger();
        w.ActionByCaption("Dorvane on the web")->trigger();
        QCOMPARE(s.Interaction.ShellRequests.size(), std::size_t{3});
        QVERIFY(s.Interaction.ShellRequests[1].File.endsWith(QStringLiteral("help.chm")));
        QCOMPARE(s.Interaction.ShellRequests[2].File, QStringLiteral("IEXPLORE.EXE"));
        QVERIFY(AboutBox() != nullptr && !AboutBox()->isVisible());
        w.ActionByCaption("About Dorvane")->trigger();
        QVERIFY(AboutBox()->isVisible());
    }

    void startUpWithStore() {
        Session s;
        TForm1& w = *s.Window;
        QVERIFY(s.Interaction.Boxes.empty());
        QCOMPARE(w.ListFolder()->NodeCount(), std::size_t{6});
        QCOMPARE(w.State().CurrentMailFile, s.Store.StorePath("folders.dbx"));
        QTreeWidgetItem* top = w.ListFolder()->topLevelItem(0);
        QCOMPARE(top->text(0), QStringLiteral("Outlook Express"));
        QVERIFY(top->isSelected());
        QVERIFY(top->isExpanded());
        QCOMPARE(w.ListFolder()->topLevelItemCount(), 1);
        QVERIFY(s.Node("Garden")->parent() == s.Node("Projects"));
        // Selected but not focused: taking the keyboard focus does not change that, and
        // a click on empty space loads nothing.
        w.ListFolder()->setFocus();
        QCOMPARE(w.ListFolder()->FocusedNodeData(), nullptr);
        QTest::mouseClick(w.ListFolder()->viewport(), Qt::LeftButton, {},
                          QPoint(5, w.ListFolder()->viewport()->height() - 3));
        QCOMPARE(s.Rows(), 0);
        QVERIFY(!w.State().RecoveredMode);
        // Images: the top folder, folder files with ".dbx" exactly, none otherwise.
        QVERIFY(!top->icon(0).isNull());
        QVERIFY(!s.Node("Inbox")->icon(0).isNull());
        QVERIFY(s.Node("Upper")->icon(0).isNull());
        QVERIFY(s.Node("Projects")->icon(0).isNull());
    }

    void startUpWithoutStore_data() {
        QTest::addColumn<QString>("registry");  // user.reg lines; empty: the locator says ""
        QTest::addColumn<QString>("error");     // the box's text
        QTest::addColumn<bool>("catalogueNamed");
        QTest::newRow("no store recorded")
            << QString() << QString("Cannot open file %1folders.dbx.").arg(QChar(kPathDelimiter))
            << true;
        QTest::newRow("wrong-typed Store Root")
            << QString(
                   "[Software\\\\Microsoft\\\\Outlook Express] 1\n\"Store Root\"=dword:00000001\n")
            << QString("Invalid data type for 'Store Root'") << false;
    }
    void startUpWithoutStore() {
        QFETCH(QString, registry);
        QFETCH(QString, error);
        QFETCH(bool, catalogueNamed);
        std::unique_ptr<WinePrefix> prefix;
        TForm1::StoreLocator locator = [] { return std::string(); };
        if (!registry.isEmpty()) {
            prefix = std::make_unique<WinePrefix>(registry.toStdString());
            locator = RealLookup;  // through the prefix's user.reg
        }
        Session s(locator);
        QCOMPARE(s.Interaction.Boxes.size(), std::size_t{1});
        const ShownBox& box = s.Interaction.Boxes.front();
        QCOMPARE(box.Type, ShownBox::Error);
        QCOMPARE(box.Text, error);
        QCOMPARE(box.Caption,
                 QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());
        QCOMPARE(s.Window->ListFolder()->NodeCount(), std::size_t{0});
        QCOMPARE(s.Window->State().CurrentMailFile.empty(), !catalogueNamed);
        // Open DBX File still works.
        s.Interaction.NextMailFiles.push_back(Q(s.Store.StorePath("folders.dbx")));
        s.Window->OpenMailFile();
        QCOMPARE(s.Window->ListFolder()->NodeCount(), std::size_t{6});
    }

    void demoStoreThroughItsPrefix() {
        const QByteArray saved = qgetenv("WINEPREFIX");
        qputenv("WINEPREFIX", DORVANE_DEMO_PREFIX_DIR);
        Session s(RealLookup);
        qputenv("WINEPREFIX", saved);
        QVERIFY(s.Interaction.Boxes.empty());
        QVERIFY(s.Node("Damaged Inbox") != nullptr);
        s.ClickNode("Inbox");
        QCOMPARE(s.Rows(), 20);
    }

    void clickFolders() {
        Session s;
        TForm1& w = *s.Window;
        s.ClickNode("Inbox");
        QCOMPARE(s.Rows(), 4);
        QCOMPARE(w.State().CurrentMailFile, s.Store.StorePath("Inbox.dbx"));
        QCOMPARE(s.Cell(0, 0), QStringLiteral("bob <bob@example.org>"));
        QCOMPARE(s.Cell(0, 5), QString::number(s.Store.InboxBuilt[0].DataOffset));
        QVERIFY(s.Idle());
        QCOMPARE(FrmProgress().Title(), QStringLiteral("processing"));
        QCOMPARE(FrmProgress().Bar(), 100);

        // A grouping folder empties the list and reads nothing.
        s.ClickNode("Projects");
        QCOMPARE(s.Rows(), 0);
        QVERIFY(s.Interaction.Boxes.empty());
        s.ClickNode("Garden");
        QCOMPARE(s.Rows(), 2);
        QCOMPARE(w.State().CurrentMailFile, s.Store.StorePath("Garden.dbx"));

        // A folder whose file is missing: the error box, an empty list, the window back.
        s.ClickNode("Missing");
        QCOMPARE(s.Rows(), 0);
        QCOMPARE(s.Interaction.Boxes.size(), std::size_t{1});
        QCOMPARE(s.Interaction.Boxes[0].Text,
                 Q("Cannot open file " + s.Store.StorePath("Missing.dbx") + "."));
        QCOMPARE(w.State().CurrentMailFile, s.Store.StorePath("Missing.dbx"));
        QVERIFY(s.Idle());

        // Clicking again reads again, undoing a sort.
        s.ClickNode("Inbox");
        w.ListMailColumnClick(3);
        s.ClickNode("Inbox");
        QCOMPARE(s.Cell(0, 3), QStringLiteral("beta"));
    }

    void sortByColumns() {
        Session s;
        TForm1& w = *s.Window;
        s.ClickNode("Inbox");
        // The first sort is descending, whichever column; the next ascending.
        QTest::mouseClick(
            w.ListMail()->horizontalHeader()->viewport(), Qt::LeftButton, {},
            QPoint(w.ListMail()->horizontalHeader()->sectionViewportPosition(3) + 5, 5));
        QCOMPARE(w.State().SortColumn, 3);
        QCOMPARE(s.Column(3), (QStringList{"gamma", "beta", "ALPHA ", "Alpha"}));
        w.ListMailColumnClick(0);
        QCOMPARE(s.Column(0).front(), QStringLiteral("9 Digits <nine@example.org>"));
        QCOMPARE(s.Column(0).back(), QStringLiteral("carol <carol@example.org>"));
        // Received, descending: the message without a time counts as now, so first.
        w.ListMailColumnClick(4);
        QCOMPARE(s.Column(3), (QStringList{"gamma", "Alpha", "beta", "ALPHA "}));
        // Position as numbers, ascending: file order.
        w.ListMailColumnClick(5);
        QCOMPARE(s.Column(3), (QStringList{"beta", "Alpha", "gamma", "ALPHA "}));
        QVERIFY(!w.ListMail()->horizontalHeader()->isSortIndicatorShown());

        // After a narrowing, the sort orders only what is left.
        w.State().MessageList.erase(w.State().MessageList.begin() + 1);
        w.SetListRowCount(0);
        w.SetListRowCount(static_cast<int>(w.State().MessageList.size()));
        w.ListMailColumnClick(3);  // descending again
        QCOMPARE(s.Column(3), (QStringList{"gamma", "beta", "ALPHA "}));
    }

    void previewAndView() {
        Session s;
        TForm1& w = *s.Window;
        s.ClickNode("Inbox");
        QVERIFY(w.ListMail()->horizontalHeader()->sectionSize(5) == 0);
        QCOMPARE(w.ListMail()->horizontalHeader()->sectionSize(6), 35);
        s.ClickRow(0);
        QCOMPARE(w.RichEdit1(), s.Store.Inbox[0].Text);
        QCOMPARE(s.TempEml(),
                 std::string("From: bob\r\nTo: reader\r\nSubject: beta\r\n\r\nbody\r\n"));
        // Ctrl-clicking a lower row previews the upper one again.
        s.ClickRow(2);
        QCOMPARE(s.TempEml(), std::string("From: 9 Digits\r\n\r\nNo date\r\n"));
        s.ClickRow(3, Qt::ControlModifier);
        QCOMPARE(w.ListMail()->SelectedRows(), (QList<int>{2, 3}));
        QCOMPARE(s.TempEml(), std::string("From: 9 Digits\r\n\r\nNo date\r\n"));

        // View hands temp.eml to the shell; a double-click does the same.
        w.ActionByCaption("Quick/View")->trigger();
        QCOMPARE(s.Interaction.ShellOpens.size(), std::size_t{1});
        QCOMPARE(s.Interaction.ShellOpens[0], s.Store.Root.filePath("temp.eml"));
        // A sort moves the messages under the selection without a new preview.
        w.ListMailColumnClick(3);
        QCOMPARE(w.ListMail()->SelectedRows(), (QList<int>{2, 3}));
        QCOMPARE(s.TempEml(), std::string("From: 9 Digits\r\n\r\nNo date\r\n"));
        // Nothing selected: temp.eml stays, View does nothing.
        w.ListMail()->clearSelection();
        w.ViewCurrentMessage();
        QCOMPARE(s.Interaction.ShellOpens.size(), std::size_t{1});
        QCOMPARE(s.TempEml(), std::string("From: 9 Digits\r\n\r\nNo date\r\n"));

        // A directory where temp.eml cannot be written: the error box names the file.
        s.Interaction.Directory = s.Store.Root.filePath("no such directory");
        s.ClickRow(0);
        QCOMPARE(s.Interaction.Boxes.size(), std::size_t{1});
        QCOMPARE(
            s.Interaction.Boxes[0].Text,
            s.Store.Root.filePath("no such directory/temp.eml").prepend("Cannot create file ") +
                ".");
        QVERIFY(s.Idle());
    }

    void openMailFiles_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("nodes");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("notice");
        const QString corrupted = QStringLiteral(
            "The file is corrupted. Please click \"Recover\" on the toolbar to recover messages "
            "as much as possible.");
        QTest::newRow("catalogue elsewhere") << "folders.dbx" << 3 << 0 << QString();
        QTest::newRow("single file, .dbt") << "Single.dbt" << 1 << 2 << QString();
        QTest::newRow("empty index") << "Empty.dbx" << 1 << 0 << corrupted;
        QTest::newRow("catalogue name in other case") << "Folders.dbx" << 1 << 0 << corrupted;
        QTest::newRow("damaged index") << "Damaged.dbx" << 1 << 0 << corrupted;
    }
    void openMailFiles() {
        QFETCH(QString, file);
        QFETCH(int, nodes);
        QFETCH(int, rows);
        QFETCH(QString, notice);
        Session s;
        TForm1& w = *s.Window;
        s.ClickNode("Inbox");
        const std::string path = s.Store.OtherPath(file.toStdString());
        int rowsAtNotice = -1;
        s.Interaction.OnBox = [&](const ShownBox&) { rowsAtNotice = s.Rows(); };
        s.Interaction.NextMailFiles.push_back(Q(path));
        w.ActionByCaption("Quick/Open Archive")->trigger();

        QCOMPARE(static_cast<int>(w.ListFolder()->NodeCount()), nodes);
        QCOMPARE(s.Rows(), rows);
        QCOMPARE(w.State().CurrentMailFile, path);
        QVERIFY(!w.State().FileJustOpened);
        if (notice.isEmpty()) {
            QVERIFY(s.Interaction.Boxes.empty());
        } else {
            QCOMPARE(s.Interaction.Boxes.size(), std::size_t{1});
            QCOMPARE(s.Interaction.Boxes[0].Type, ShownBox::Notice);
            QCOMPARE(s.Interaction.Boxes[0].Text, notice);
            QCOMPARE(rowsAtNotice, rows);  // after the load
        }
        if (nodes == 1) {
            QCOMPARE(w.ListFolder()->topLevelItem(0)->text(0), file);
            QVERIFY(w.ListFolder()->topLevelItem(0)->isSelected());
            QCOMPARE(w.ListFolder()->FocusedNodeData(), nullptr);
        }
        QVERIFY(s.Idle());
    }

    void foldersOutsideTheStore() {
        Session s;
        TForm1& w = *s.Window;
        // A catalogue from elsewhere: its folders are read from its own directory.
        s.Interaction.NextMailFiles.push_back(Q(s.Store.OtherPath("folders.dbx")));
        w.OpenMailFile();
        s.ClickNode("Elsewhere");
        QCOMPARE(s.Rows(), 3);
        QCOMPARE(w.State().CurrentMailFile, s.Store.OtherPath("Elsewhere.dbx"));
        s.ClickNode("Second");
        QCOMPARE(s.Rows(), 1);
        // A single file from elsewhere is read again when its node is clicked.
        s.Interaction.NextMailFiles.push_back(Q(s.Store.OtherPath("Single.dbt")));
        w.OpenMailFile();
        w.ListMailColumnClick(3);
        s.ClickNode("Single.dbt");
        QCOMPARE(s.Column(3), (QStringList{"single", "double"}));
        // A catalogue with one folder lists that folder's messages, never the catalogue's.
        s.Interaction.NextMailFiles.push_back(Q(s.Store.OtherPath("lone/folders.dbx")));
        w.OpenMailFile();
        s.ClickNode("Lonely");
        QCOMPARE(s.Column(3), (QStringList{"lonely"}));
        // A cancelled dialog changes nothing; an unreadable choice keeps the tree.
        s.Interaction.NextMailFiles.push_back(QString());
        w.OpenMailFile();
        QCOMPARE(s.Rows(), 1);
        s.Interaction.NextMailFiles.push_back(Q(s.Store.OtherPath("gone/folders.dbx")));
        w.OpenMailFile();
        QCOMPARE(w.ListFolder()->NodeCount(), std::size_t{1});
        QCOMPARE(s.Rows(), 0);
        QCOMPARE(s.Interaction.Boxes.size(), std::size_t{1});
        QVERIFY(s.Interaction.Boxes[0].Text.startsWith("Cannot open file "));
        QCOMPARE(s.Interaction.UnexpectedChoosers, 0);
    }

    void recoverAndCancel() {
        Session s;
        TForm1& w = *s.Window;
        s.Interaction.NextMailFiles.push_back(Q(s.Store.OtherPath("Damaged.dbx")));
        w.OpenMailFile();
        s.Interaction.Boxes.clear();

        QString titleSeen;
        auto seen = connect(&FrmProgress(), &TFrmProgress::LabelSet, this,
                            [&] { titleSeen = FrmProgress().Title(); });
        w.ActionByCaption("Quick/Recover")->trigger();
        disconnect(seen);
        QCOMPARE(titleSeen, QStringLiteral("Scaning the mailbox---Damaged.dbx"));
        QCOMPARE(s.Interaction.Boxes.size(), std::size_t{1});
        QCOMPARE(s.Interaction.Boxes[0].Text, QStringLiteral("3 messages recovered."));
        QCOMPARE(s.Rows(), 3);
        QVERIFY(w.State().RecoveredMode);
        // The salvaged header as the mail text has it, blank and line end included.
        QVERIFY(s.Cell(0, 0).contains(QStringLiteral("Ann <ann@example.org>")));
        QCOMPARE(s.Cell(1, 5), QString::number(s.Store.DamagedBuilt[1].DataOffset));
        QVERIFY(s.Idle());
        s.ClickRow(1);
        QVERIFY(w.RichEdit1().find("Subject: Second") != std::string::npos);

        // Cancel once the scan has passed the third message's start: the first two stay,
        // no count is told, and the list is still the recovered one.
        s.Interaction.Boxes.clear();
        const std::int32_t third = s.Store.DamagedBuilt[2].DataOffset;
        auto canceller =
            connect(&FrmProgress(), &TFrmProgress::LabelSet, this, [&](const QString& label) {
                if (label.section('/', 0, 0).toLongLong() > third) {
                    QTimer::singleShot(0, FrmProgress().FlatButton1, &QPushButton::click);
                }
            });
        w.RecoverMessages();
        disconnect(canceller);
        QVERIFY(CancelRequested);
        QVERIFY(s.Interaction.Boxes.empty());
        QCOMPARE(s.Rows(), 2);
        QVERIFY(w.State().RecoveredMode);
        QVERIFY(s.Idle());

        // The next operation clears the flag and runs normally.
        s.ClickNode("Damaged.dbx");
        QVERIFY(!CancelRequested);
        QVERIFY(!w.State().RecoveredMode);
    }

    void recoverEdgeFiles() {
        Session s;
        TForm1& w = *s.Window;
        // Right after start-up Recover scans the catalogue like any file.
        w.RecoverMessages();
        QCOMPARE(s.Interaction.Boxes.back().Text, QStringLiteral("0 messages recovered."));
        // A file too small to hold a message.
        s.Interaction.NextMailFiles.push_back(Q(s.Store.OtherPath("tiny.dbx")));
        w.OpenMailFile();
        w.RecoverMessages();
        QCOMPARE(s.Interaction.Boxes.back().Text, QStringLiteral("0 messages recovered."));
        QCOMPARE(s.Rows(), 0);
        QVERIFY(w.State().RecoveredMode);
        // A file that has gone: the error box, and the mode stays set.
        std::filesystem::remove(s.Store.OtherPath("tiny.dbx"));
        w.RecoverMessages();
        QCOMPARE(s.Interaction.Boxes.back().Type, ShownBox::Error);
        QCOMPARE(s.Interaction.Boxes.back().Text,
                 Q("Cannot open file " + s.Store.OtherPath("tiny.dbx") + "."));
        QVERIFY(w.State().RecoveredMode);
        QVERIFY(s.Idle());
    }

    void fontsFollowTheWindowSize() {
        Session s;
        TForm1& w = *s.Window;
        const double base = w.font().pointSizeF();
        QVERIFY(base > 0);
        w.resize(746 * 2, 520 * 2);
        QCOMPARE(w.ListMail()->font().pointSizeF(), base * 2);
        QCOMPARE(w.ListFolder()->font().pointSizeF(), base * 2);
        w.resize(746 * 3, 520);  // the tighter direction decides
        QCOMPARE(w.font().pointSizeF(), base);
        const QSize design(746, 520);
        QCOMPARE(FormScaler::Factor(design, QSize(373, 260)), 0.6);  // no smaller than this
        QCOMPARE(FormScaler::Factor(design, QSize(1119, 780)), 1.5);
        QCOMPARE(FormScaler::Factor(design, QSize(750, 522)), 1.0);  // small drags change nothing
        QCOMPARE(FormScaler::Factor(design, QSize(0, 0)), 1.0);
    }

    void extractAllAndSelected() {
        Session s;
        TForm1& w = *s.Window;
        s.ClickNode("Inbox");
        QCOMPARE(s.Rows(), 4);
        const QString out = s.Store.Root.filePath("out");
        QDir().mkpath(out);
        const auto files = [](const QString& dir) {
            return QDir(dir).entryList(QDir::Files, QDir::Name);
        };
        QStringList labels;
        QString title;
        auto watch =
            connect(&FrmProgress(), &TFrmProgress::LabelSet, this, [&](const QString& label) {
                labels << label;
                title = FrmProgress().Title();
            });

        // Nothing selected: told so, and no chooser. A cancelled chooser: told so.
        w.ActionByCaption("Quick/Extract Selected")->trigger();
        QCOMPARE(s.Interaction.Boxes.back().Text,
                 QStringLiteral("Please Choose a message for extract at least!"));
        QVERIFY(s.Interaction.DirectoryTitles.empty());
        s.Interaction.NextDirectories.push_back(QString());
        w.ActionByCaption("Extract all mail")->trigger();
        QCOMPARE(s.Interaction.DirectoryTitles.back(), QStringLiteral("Please Choose A Directory"));
        QCOMPARE(s.Interaction.Boxes.back().Text,
                 QStringLiteral("Please firstly CHOOSE A DIRECTORY or we can not save files"));
        QVERIFY(files(out).isEmpty());

        // Extract All: every row in list order, the label one behind, CR LF text.
        s.Interaction.Boxes.clear();
        s.Interaction.NextDirectories.push_back(out);
        w.ExtractAllMessages();
        QCOMPARE(labels, QStringList({"0/4", "1/4", "2/4", "3/4"}));
        QCOMPARE(title, QStringLiteral("processing---Inbox.dbx"));
        QStringList written = files(out);
        QCOMPARE(written.size(), 4);
        QVERIFY(written[0].startsWith(QStringLiteral("1_bob -bob@example-org-_beta_")));
        QVERIFY(written[3].startsWith(QStringLiteral("4_carol -carol@example-org-_ALPHA _")));
        QCOMPARE(ReadFileBytes((out + "/" + written[0]).toStdString()),
                 std::string("From: bob\r\nTo: reader\r\nSubject: beta\r\n\r\nbody\r\n"));
        QCOMPARE(QFileInfo(out + "/" + written[0]).lastModified().toUTC(),
                 QDateTime(QDate(2004, 3, 1), QTime(10, 0), Qt::UTC));
        QVERIFY(s.Interaction.Boxes.empty());
        QCOMPARE(FrmProgress().Bar(), 100);
        QCOMPARE(FrmProgress().Title(), QStringLiteral("processing"));
        QVERIFY(s.Idle());

        // Extract Selected: rows 1 and 3, numbered 1 and 2.
        const QString selected = s.Store.Root.filePath("selected");
        QDir().mkpath(selected);
        s.ClickRow(1);
        s.ClickRow(3, Qt::ControlModifier);
        labels.clear();
        s.Interaction.NextDirectories.push_back(selected);
        w.ActionByCaption("Extract Selected mail")->trigger();
        QCOMPARE(labels, QStringList({"1/2", "2/2"}));
        written = files(selected);
        QCOMPARE(written.size(), 2);
        QVERIFY(written[0].startsWith(QStringLiteral("1_Alice")));
        QVERIFY(written[1].startsWith(QStringLiteral("2_carol")));

        // Cancel after the first message: it is complete, no more are written.
        const QString cancelled = s.Store.Root.filePath("cancelled");
        QDir().mkpath(cancelled);
        auto canceller = connect(&FrmProgress(), &TFrmProgress::LabelSet, this, [&] {
            QTimer::singleShot(0, FrmProgress().FlatButton1, &QPushButton::click);
        });
        s.Interaction.NextDirectories.push_back(cancelled);
        w.ExtractAllMessages();
        disconnect(canceller);
        QCOMPARE(files(cancelled).size(), 1);
        QVERIFY(s.Idle());

        // A file that cannot be written: the rest are, numbers unshifted, and the run says so.
        const QString blocked = s.Store.Root.filePath("blocked");
        QDir().mkpath(blocked + "/" + written[0].replace(QStringLiteral("1_Alice"), "2_Alice"));
        s.Interaction.NextDirectories.push_back(blocked);
        w.ExtractAllMessages();
        QCOMPARE(files(blocked).size(), 3);
        QVERIFY(files(blocked)[1].startsWith(QStringLiteral("3_")));
        QVERIFY(s.Interaction.Boxes.back().Text.startsWith(
            QStringLiteral("1 message could not be written.\n") + blocked + "/2_Alice"));

        // The mail file gone: the run ends and the error box tells why.
        std::filesystem::remove(s.Store.StorePath("Inbox.dbx"));
        s.Interaction.NextDirectories.push_back(out);
        w.ExtractAllMessages();
        disconnect(watch);
        QCOMPARE(s.Interaction.Boxes.back().Type, ShownBox::Error);
        QCOMPARE(s.Interaction.Boxes.back().Text,
                 Q("Cannot open file " + s.Store.StorePath("Inbox.dbx") + "."));
        QVERIFY(s.Idle());
        QCOMPARE(s.Interaction.UnexpectedChoosers, 0);
    }

    void mailFilesAreNeverWritten() {
        Session s;
        TForm1& w = *s.Window;
        // Every mail file of the fixture: its bytes and its modification time.
        const auto snapshot = [&] {
            std::map<std::string, std::pair<std::string, std::filesystem::file_time_type>> files;
            for (const auto& entry :
                 std::filesystem::recursive_directory_iterator(s.Store.Root.path().toStdString())) {
                const auto name = entry.path().filename().string();
                if (entry.is_regular_file() && name.size() > 4 &&
                    QString::fromStdString(name).endsWith(QStringLiteral(".dbx"),
                                                          Qt::CaseInsensitive)) {
                    files[entry.path().string()] = {ReadFileBytes(entry.path().string()),
                                                    entry.last_write_time()};
                }
            }
            return files;
        };
        for (const auto& entry :
             std::filesystem::recursive_directory_iterator(s.Store.Root.path().toStdString())) {
            if (entry.is_regular_file()) {
                std::filesystem::last_write_time(
                    entry.path(),
                    std::filesystem::file_time_type::clock::now() - std::chrono::hours(48));
            }
        }
        const auto before = snapshot();
        QVERIFY(before.size() > 5);
        s.ClickNode("Inbox");
        s.ClickRow(1);
        w.ViewCurrentMessage();
        w.RecoverMessages();
        s.ClickNode("Inbox");
        const QString out = s.Store.Root.filePath("extracted");
        QDir().mkpath(out);
        s.Interaction.NextDirectories.push_back(out);
        w.ExtractAllMessages();
        s.Interaction.NextMailFiles.push_back(Q(s.Store.OtherPath("Damaged.dbx")));
        w.OpenMailFile();
        w.RecoverMessages();
        QVERIFY(before == snapshot());
    }

    void progressDialog() {
        TFrmProgress& progress = FrmProgress();
        QCOMPARE(&FrmProgress(), &progress);
        QCOMPARE(progress.size(), QSize(377, 62));
        QVERIFY(progress.windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(progress.windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(progress.FlatButton1->text(), QStringLiteral("Cancel"));
        QCOMPARE(progress.PBar1->geometry(), QRect(0, 16, 377, 25));
        CancelRequested = false;
        progress.SetBar(40);
        progress.FlatButton1->click();
        progress.FlatButton1->click();
        QVERIFY(CancelRequested);
        QCOMPARE(progress.Bar(), 40);
        CancelRequested = false;
    }

    void scrollingMakesVisibleTextsOnly() {
        Session s;
        TForm1& w = *s.Window;
        auto message = std::make_shared<const Toe5_MessageInfo>();
        w.State().MessageList.assign(100000, message);
        const long long before = w.ListMailModel()->TextsMade();
        w.SetListRowCount(100000);
        QApplication::processEvents();
        w.ListMail()->verticalScrollBar()->setValue(50000);
        QApplication::processEvents();
        QVERIFY(w.ListMailModel()->TextsMade() - before < 7 * 200);
        w.SetListRowCount(0);
        w.State().MessageList.clear();
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
