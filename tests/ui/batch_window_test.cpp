// Batch Mode as the user lives through it: rows added through the add-file dialog, the
// browse buttons answered by the scripted stand-in, and runs over a catalogue, a single
// file and a damaged file.

#include <filesystem>
#include <fstream>
#include <memory>

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

#include "scripted_interaction.h"
#include "store/store_paths.h"
#include "ui/main/main_window.h"
#include "ui/tools/batch_window.h"
#include "ui/tools/progress_dialog.h"
#include "window_fixtures.h"

using namespace dorvane;
using namespace dorvane::ui;

namespace fs = std::filesystem;

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

const QString kSaveToMissing = QStringLiteral("The \"Save to\" path is unavailable!");
const QString kSourceMissing = QStringLiteral("The sourcefile is unavailable!");
const QString kDelimiter = QString(QChar::fromLatin1(kPathDelimiter));

// The .eml files anywhere under directory.
int EmlFiles(const fs::path& directory) {
    if (!fs::is_directory(directory)) return 0;
    int count = 0;
    for (const auto& entry : fs::recursive_directory_iterator(directory)) {
        if (entry.is_regular_file() && entry.path().extension() == ".eml") ++count;
    }
    return count;
}

// A main window on a fixture store with the batch windows made as at start-up, and the
// batch window shown.
struct Session : dorvane::ui::test::WindowSession {
    Session() {
        CreateBatchForms(*Window);
        ShowBatchMode(*Window);
    }
    ~Session() { ReleaseBatchForms(); }

    TFrmbatch& Batch() const { return *Frmbatch(); }
    TFrmaddfile& AddFile() const { return *Frmaddfile(); }
    QString Out(const QString& name) const { return Store.Root.filePath(name); }

    // Types both paths into the add-file dialog, opened through "Add", and clicks Add File.
    void TypeRow(const QString& source, const QString& saveTo) {
        Batch().AddButton->click();
        AddFile().textsourcefile->setText(source);
        AddFile().textsaveto->setText(saveTo);
        AddFile().AddFileButton->click();
    }
    QStringList Rows() const {
        QStringList rows;
        for (int row = 0; row < Batch().RowCount(); ++row) {
            rows << Batch().SourceFileAt(row) + QLatin1Char('|') + Batch().SaveToAt(row);
        }
        return rows;
    }
    QStringList BoxTexts() const {
        QStringList texts;
        for (const auto& box : Interaction.Boxes) texts << box.Text;
        return texts;
    }
};

}  // namespace

class BatchWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanupTestCase() { ReleaseFrmProgress(); }

    void windowsAndTheirShowing() {
        Session s;
        TFrmbatch& batch = s.Batch();
        QVERIFY(batch.isVisible());
        QCOMPARE(batch.windowTitle(), QStringLiteral("Batch Mode"));
        QCOMPARE(batch.size(), QSize(477, 268));
        QCOMPARE(batch.minimumSize(), batch.maximumSize());
        QCOMPARE(batch.ListFile->objectName(), QStringLiteral("ListFile"));
        QCOMPARE(batch.ListFile->headerItem()->text(0), QStringLiteral("SourceFile"));
        QCOMPARE(batch.ListFile->headerItem()->text(1), QStringLiteral("Save to"));
        QCOMPARE(batch.ListFile->columnWidth(0), 210);
        QCOMPARE(batch.ListFile->columnWidth(1), 150);
        QCOMPARE(batch.ListFile->selectionMode(), QAbstractItemView::SingleSelection);
        QCOMPARE(batch.ListFile->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(batch.StartButton->geometry(), QRect(376, 152, 89, 41));

        TFrmaddfile& add = s.AddFile();
        QVERIFY(!add.isVisible());
        QCOMPARE(add.windowTitle(), QStringLiteral("Please add DBX file"));
        QCOMPARE(add.size(), QSize(418, 171));
        QCOMPARE(add.pos(), QPoint(261, 210));
        QCOMPARE(add.textsourcefile->objectName(), QStringLiteral("textsourcefile"));

        // "Add" opens the dialog without waiting for it and without clearing its fields.
        add.textsourcefile->setText(QStringLiteral("kept"));
        batch.AddButton->click();
        QVERIFY(add.isVisible());
        QVERIFY(add.isModal());
        QCOMPARE(add.textsourcefile->text(), QStringLiteral("kept"));
        add.CancelButton->click();
        QVERIFY(!add.isVisible());
        QCOMPARE(batch.RowCount(), 0);

        // Closed, the window is only hidden: the command shows the same one, rows and all.
        TFrmbatch* before = &batch;
        s.TypeRow(Q(s.Store.StorePath("Inbox.dbx")), Q(s.Store.OtherDir));
        batch.CloseButton->click();
        QVERIFY(!batch.isVisible());
        ShowBatchMode(*s.Window);
        QCOMPARE(Frmbatch(), before);
        QVERIFY(batch.isVisible());
        QCOMPARE(batch.RowCount(), 1);
        ShowBatchMode(*s.Window);
        QVERIFY(batch.isVisible());
    }

    void addFileChecks_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("saveTo");
        QTest::addColumn<QString>("notice");  // empty: the row is added
        QTest::newRow("both wrong: Save to first") << "@missing"
                                                   << "@dir/nowhere" << kSaveToMissing;
        QTest::newRow("both empty") << ""
                                    << "" << kSaveToMissing;
        QTest::newRow("Save to names a file") << "@Inbox"
                                              << "@Inbox" << kSaveToMissing;
        QTest::newRow("missing source") << "@missing"
                                        << "@dir" << kSourceMissing;
        QTest::newRow("source is a directory") << "@dir"
                                               << "@dir" << kSourceMissing;
        QTest::newRow("Save to without delimiter") << "@Inbox"
                                                   << "@dir" << QString();
        QTest::newRow("Save to with delimiter") << "@Inbox"
                                                << "@dir/" << QString();
        QTest::newRow("not a DBX file") << "@notes"
                                        << "@dir" << QString();
    }

    void addFileChecks() {
        QFETCH(QString, source);
        QFETCH(QString, saveTo);
        QFETCH(QString, notice);
        Session s;
        std::ofstream(s.Store.OtherPath("notes.txt")) << "not mail\n";
        // '@' names stand for paths in this session's store.
        const auto path = [&](QString text) {
            text.replace(QStringLiteral("@Inbox"), Q(s.Store.StorePath("Inbox.dbx")));
            text.replace(QStringLiteral("@missing"), Q(s.Store.StorePath("Gone.dbx")));
            text.replace(QStringLiteral("@notes"), Q(s.Store.OtherPath("notes.txt")));
            text.replace(QStringLiteral("@dir/"), Q(s.Store.OtherDir) + kDelimiter);
            text.replace(QStringLiteral("@dir"), Q(s.Store.OtherDir));
            return text;
        };
        source = path(source);
        saveTo = path(saveTo);
        s.TypeRow(source, saveTo);
        if (notice.isEmpty()) {
            QVERIFY(s.Interaction.Boxes.empty());
            QCOMPARE(s.Rows(), QStringList{source + QLatin1Char('|') + saveTo});
            QVERIFY(!s.AddFile().isVisible());
            // The dialog keeps its entries: the same row can be added again at once.
            s.TypeRow(source, saveTo);
            QCOMPARE(s.Batch().RowCount(), 2);
        } else {
            QCOMPARE(s.BoxTexts(), QStringList{notice});
            QCOMPARE(s.Batch().RowCount(), 0);
            QVERIFY(s.AddFile().isVisible());
            QCOMPARE(s.AddFile().textsourcefile->text(), source);
            QCOMPARE(s.AddFile().textsaveto->text(), saveTo);
        }
    }

    void browseButtons() {
        Session s;
        TFrmaddfile& add = s.AddFile();
        const QString dir = Q(s.Store.OtherDir);
        const QString inbox = Q(s.Store.StorePath("Inbox.dbx"));
        s.Interaction.NextBatchFiles = {inbox, QString()};
        s.Interaction.NextDirectories = {dir, QString(), dir + kDelimiter};
        s.Batch().AddButton->click();

        add.SourceBrowseButton->click();
        QCOMPARE(add.textsourcefile->text(), inbox);
        add.SourceBrowseButton->click();  // cancelled: nothing changes
        QCOMPARE(add.textsourcefile->text(), inbox);

        add.SaveToBrowseButton->click();
        QCOMPARE(add.textsaveto->text(), dir + kDelimiter);
        add.textsaveto->setText(QStringLiteral("typed"));
        add.SaveToBrowseButton->click();  // cancelled: nothing changes, nothing said
        QCOMPARE(add.textsaveto->text(), QStringLiteral("typed"));
        add.SaveToBrowseButton->click();  // already ends with the delimiter
        QCOMPARE(add.textsaveto->text(), dir + kDelimiter);

        QCOMPARE(s.Interaction.DirectoryTitles,
                 std::vector<QString>(3, QStringLiteral("Please Choose A Directory")));
        QVERIFY(s.Interaction.Boxes.empty());
        QCOMPARE(s.Interaction.UnexpectedChoosers, 0);
        add.AddFileButton->click();
        QCOMPARE(s.Rows(), QStringList{inbox + QLatin1Char('|') + dir + kDelimiter});
    }

    void removeRows() {
        Session s;
        const QString dir = Q(s.Store.OtherDir);
        for (const char* name : {"Inbox.dbx", "Garden.dbx", "Upper.DBX"}) {
            s.TypeRow(Q(s.Store.StorePath(name)), dir);
        }
        QTreeWidget* list = s.Batch().ListFile;
        list->clearSelection();
        s.Batch().RemoveButton->click();  // nothing selected: nothing goes
        QCOMPARE(s.Batch().RowCount(), 3);
        list->setCurrentItem(list->topLevelItem(1));
        s.Batch().RemoveButton->click();
        QCOMPARE(s.Rows(), (QStringList{Q(s.Store.StorePath("Inbox.dbx")) + "|" + dir,
                                        Q(s.Store.StorePath("Upper.DBX")) + "|" + dir}));
    }

    void startRunsEveryRow() {
        Session s;
        // The add-file checks want the directories to exist.
        for (const char* name : {"all", "single", "salvaged", "tiny", "gone"}) {
            QDir().mkdir(s.Out(name));
        }
        s.TypeRow(Q(s.Store.StorePath("folders.dbx")), s.Out("all"));
        s.TypeRow(Q(s.Store.OtherPath("Single.dbt")), s.Out("single"));
        s.TypeRow(Q(s.Store.OtherPath("Damaged.dbx")), s.Out("salvaged") + kDelimiter);
        s.TypeRow(Q(s.Store.OtherPath("tiny.dbx")), s.Out("tiny"));
        // Rows are checked when added; a file gone by the run is counted, not fatal.
        std::ofstream(s.Store.OtherPath("gone.dbx")) << "x";
        s.TypeRow(Q(s.Store.OtherPath("gone.dbx")), s.Out("gone"));
        fs::remove(s.Store.OtherPath("gone.dbx"));
        QCOMPARE(s.Batch().RowCount(), 5);

        QStringList seen;
        bool lockedWhileRunning = true;
        QObject::connect(
            &FrmProgress(), &TFrmProgress::LabelSet, s.Window.get(), [&](const QString& label) {
                seen << FrmProgress().Title() + " " + label;
                lockedWhileRunning = lockedWhileRunning && !s.Window->isEnabled() &&
                                     !s.Batch().isEnabled() && FrmProgress().isVisible();
            });
        s.Batch().StartButton->click();

        QVERIFY(lockedWhileRunning);
        QCOMPARE(seen, (QStringList{"processing 0/5", "processing---folders.dbx 1/5",
                                    "processing---Single.dbt 2/5", "processing---Damaged.dbx 3/5",
                                    "processing---tiny.dbx 4/5", "processing---gone.dbx 5/5"}));
        QCOMPARE(EmlFiles(s.Out("all").toStdString()), 7);
        QVERIFY(fs::is_directory(s.Out("all").toStdString() + "/Outlook Express"));
        QCOMPARE(EmlFiles(s.Out("single").toStdString()), 2);
        QCOMPARE(EmlFiles(s.Out("salvaged").toStdString()), 3);
        // tiny.dbx is read and holds nothing; Missing.dbx of the catalogue and gone.dbx fail.
        QCOMPARE(s.BoxTexts(),
                 QStringList{"12 messages written from 6 files. 2 could not be written or read."});
        QCOMPARE(s.Batch().RowCount(), 5);
        QVERIFY(s.Window->isEnabled());
        QVERIFY(s.Batch().isEnabled());
        QVERIFY(!FrmProgress().isVisible());
        QCOMPARE(FrmProgress().Title(), QStringLiteral("processing"));
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void cancelStopsBetweenRows() {
        Session s;
        for (const char* name : {"one", "two", "three"}) QDir().mkdir(s.Out(name));
        s.TypeRow(Q(s.Store.OtherPath("Single.dbt")), s.Out("one"));
        s.TypeRow(Q(s.Store.OtherPath("Damaged.dbx")), s.Out("two"));
        s.TypeRow(Q(s.Store.OtherPath("Elsewhere.dbx")), s.Out("three"));
        // Cancel twice once the first row is done: the run stops once, before the second.
        QObject::connect(&FrmProgress(), &TFrmProgress::LabelSet, s.Window.get(),
                         [](const QString& label) {
                             if (label != QStringLiteral("1/3")) return;
                             FrmProgress().FlatButton1->click();
                             FrmProgress().FlatButton1->click();
                         });
        s.Batch().StartButton->click();
        QCOMPARE(EmlFiles(s.Out("one").toStdString()), 2);
        QCOMPARE(EmlFiles(s.Out("two").toStdString()), 0);
        QCOMPARE(EmlFiles(s.Out("three").toStdString()), 0);
        QCOMPARE(s.BoxTexts(), QStringList{"2 messages written from 1 files."});
        QVERIFY(s.Window->isEnabled());
        QVERIFY(!FrmProgress().isVisible());

        // The next run starts afresh.
        s.Interaction.Boxes.clear();
        QObject::disconnect(&FrmProgress(), &TFrmProgress::LabelSet, s.Window.get(), nullptr);
        s.Batch().StartButton->click();
        QCOMPARE(EmlFiles(s.Out("three").toStdString()), 3);
        QCOMPARE(s.BoxTexts(), QStringList{"8 messages written from 3 files."});
    }

    void unwritableFilesAreReported() {
        Session s;
        const QString out = s.Out("out");
        QDir().mkdir(out);
        s.TypeRow(Q(s.Store.OtherPath("Single.dbt")), out);
        s.Batch().StartButton->click();
        // A directory standing where each message file goes makes every write fail.
        QStringList written;
        for (const auto& entry : fs::directory_iterator(out.toStdString())) {
            written << Q(entry.path().string());
        }
        written.sort();
        QCOMPARE(written.size(), 2);
        for (const QString& file : written) {
            QVERIFY(QFile::remove(file));
            QVERIFY(QDir().mkdir(file));
        }
        s.Interaction.Boxes.clear();
        s.Batch().StartButton->click();
        const QString notice = s.BoxTexts().value(0);
        QVERIFY2(
            notice.startsWith("0 messages written from 1 files. 2 could not be written or read.\n"
                              "2 messages could not be written.\n"),
            qPrintable(notice));
        QVERIFY(written.contains(notice.section(QLatin1Char('\n'), 2)));
        QCOMPARE(s.Interaction.Boxes.size(), std::size_t{1});
    }
};

QTEST_MAIN(BatchWindowTest)
#include "batch_window_test.moc"
