// The "Find Message" dialog over a main window whose message list the tests fill directly.

#include <memory>

#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "platform/local_time.h"
#include "scripted_interaction.h"
#include "ui/main/main_window.h"
#include "ui/main/message_list_model.h"
#include "ui/main/message_list_view.h"
#include "ui/tools/progress_dialog.h"
#include "ui/tools/search_dialog.h"
#include "window_fixtures.h"

using namespace dorvane;
using namespace dorvane::ui;

namespace {

const QString kEmptyNotice =
    QStringLiteral("The Choosed mailbox does not has any email for search!");

// The stored time of a local date and time, converted back with the zone offset in force
// now, as the list converts it forward.
FileTime StoredTimeOf(const QDateTime& local) {
    const QDateTime asUtc(local.date(), local.time(), Qt::UTC);
    const qint64 utcMs = asUtc.toMSecsSinceEpoch() - platform::CurrentUtcOffsetSeconds() * 1000;
    constexpr qint64 kMsFrom1601To1970 = 11'644'473'600'000;
    return FileTime::FromTicks(static_cast<std::uint64_t>(utcMs + kMsFrom1601To1970) * 10'000);
}

QDateTime At(int year, int month, int day, int hour, int minute, int second, int ms) {
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second, ms));
}

struct Entry {
    const char* From;
    const char* ReplyTo;
    const char* To;
    const char* Subject;
    QDateTime Received;  // invalid: no stored time, compared as now
};

// Row i of the table is message i; its DataOffset carries i so the tests can tell who is left.
const Entry kEntries[] = {
    {"Alice <alice@example.org>", "", "Bob", "Alpha news", At(2004, 8, 21, 23, 59, 59, 999)},
    {"Carol", "alice@reply.example", "Dave", "beta", At(2004, 8, 22, 0, 0, 0, 0)},
    {"Alice", "", "bob", "Report gamma", At(2004, 8, 22, 0, 0, 0, 1)},
    {"Eve", "", "Bob", "delta", At(2004, 8, 25, 12, 0, 0, 0)},
    {"Mallory", "", "Trent", "no time", QDateTime()},
};

MessageList FixtureList() {
    MessageList list;
    int id = 0;
    for (const Entry& entry : kEntries) {
        auto message = std::make_shared<Toe5_MessageInfo>();
        message->FromName = entry.From;
        message->ReplyTo = entry.ReplyTo;
        message->ToName = entry.To;
        message->Subject = entry.Subject;
        if (entry.Received.isValid()) message->ReceivedTime = StoredTimeOf(entry.Received);
        message->DataOffset = id++;
        list.push_back(std::move(message));
    }
    return list;
}

struct Session : dorvane::ui::test::WindowSession {
    Session() {
        Window->State().CurrentMailFile = Store.StorePath("Inbox.dbx");
        ShowList(FixtureList());
    }

    void ShowList(MessageList list) {
        Window->SetListRowCount(0);
        Window->State().MessageList = std::move(list);
        Window->SetListRowCount(static_cast<int>(Window->State().MessageList.size()));
    }
    int Rows() const { return Window->ListMailModel()->rowCount(); }
    // The ids of the entries left, in list order; the list view must show exactly them.
    QList<int> Left() const {
        QList<int> ids;
        for (const auto& message : Window->State().MessageList) ids << message->DataOffset;
        return ids;
    }
    TFormSearch& Open() {
        ShowSearch(*Window);
        TFormSearch* dialog = FormSearch();
        if (dialog == nullptr) qFatal("no search dialog");
        return *dialog;
    }
};

// Lets the dialog's deferred deletion after close happen.
void FlushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace

class SearchDialogTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanupTestCase() { ReleaseFrmProgress(); }

    void emptyListShowsNoticeOnly() {
        Session s;
        s.ShowList({});
        ShowSearch(*s.Window);
        QCOMPARE(FormSearch(), nullptr);
        QCOMPARE(s.Interaction.Boxes.size(), std::size_t{1});
        QCOMPARE(s.Interaction.Boxes[0].Text, kEmptyNotice);
    }

    void layoutAndInitialState() {
        Session s;
        TFormSearch& d = s.Open();
        QVERIFY(d.isVisible());
        QVERIFY(!d.isModal() && s.Window->isEnabled());
        QVERIFY(d.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(d.size(), QSize(448, 173));
        QVERIFY(
            (d.frameGeometry().center() - s.Window->frameGeometry().center()).manhattanLength() <=
            2);

        const struct {
            const char* Name;
            QRect Place;
        } places[] = {
            {"EditFrom", {48, 48, 313, 17}},    {"Editto", {48, 72, 313, 17}},
            {"Editsubject", {48, 96, 313, 17}}, {"timebefore", {112, 120, 169, 17}},
            {"timeafter", {112, 144, 169, 17}}, {"checkbefore", {96, 120, 17, 17}},
            {"checkafter", {96, 144, 17, 17}},  {"FlatButton2", {376, 40, 57, 33}},
            {"FlatButton3", {376, 96, 57, 33}}, {"FlatTitlebar1", {0, 0, 449, 17}},
        };
        for (const auto& place : places) {
            auto* control = d.findChild<QWidget*>(QLatin1String(place.Name));
            QVERIFY2(control != nullptr, place.Name);
            QCOMPARE(control->geometry(), place.Place);
        }
        QCOMPARE(d.FlatButton1->mapTo(&d, QPoint(0, 0)), QPoint(449 - 25, 0));
        QCOMPARE(d.FlatButton1->size(), QSize(25, 17));
        QCOMPARE(d.FlatButton2->text(), QStringLiteral("Find Now"));
        QCOMPARE(d.FlatButton3->text(), QStringLiteral("Cancel"));
        QCOMPARE(d.Label1->text(), QStringLiteral("Inbox.dbx"));
        QVERIFY(d.Label1->font().bold());

        for (QDateEdit* picker : {d.timebefore, d.timeafter}) {
            QCOMPARE(picker->dateTime(), QDateTime(QDate(2004, 8, 22), QTime(0, 0)));
            QVERIFY(picker->calendarPopup());
            QVERIFY(!picker->isEnabled());
        }
        QVERIFY(d.EditFrom->text().isEmpty() && !d.checkbefore->isChecked());

        // Each tick box switches its own picker.
        QTest::mouseClick(d.checkbefore, Qt::LeftButton);
        QVERIFY(d.timebefore->isEnabled() && !d.timeafter->isEnabled());
        QTest::mouseClick(d.checkafter, Qt::LeftButton);
        QTest::mouseClick(d.checkbefore, Qt::LeftButton);
        QVERIFY(!d.timebefore->isEnabled() && d.timeafter->isEnabled());
    }

    void oneInstanceUntilClosed() {
        Session s;
        TFormSearch& first = s.Open();
        first.EditFrom->setText(QStringLiteral("Alice"));
        first.checkafter->setChecked(true);
        first.timeafter->setDate(QDate(2010, 1, 2));
        // Label1 names the file of the moment the dialog was made.
        s.Window->State().CurrentMailFile = s.Store.StorePath("Sent Items.dbx");
        QCOMPARE(&s.Open(), &first);
        QCOMPARE(first.EditFrom->text(), QStringLiteral("Alice"));
        QVERIFY(first.checkafter->isChecked() && first.timeafter->isEnabled());
        QCOMPARE(first.Label1->text(), QStringLiteral("Inbox.dbx"));
        QCOMPARE(s.Window->findChildren<TFormSearch*>().size(), 1);

        // Cancel and the strip's button both close and destroy it; the next one is fresh.
        for (QPushButton* TFormSearch::*closer :
             {&TFormSearch::FlatButton3, &TFormSearch::FlatButton1}) {
            TFormSearch& open = s.Open();
            open.EditFrom->setText(QStringLiteral("Alice"));
            open.checkafter->setChecked(true);
            QTest::mouseClick(open.*closer, Qt::LeftButton);
            FlushDeletes();
            QCOMPARE(FormSearch(), nullptr);
            QVERIFY(s.Window->findChildren<TFormSearch*>().isEmpty());
            TFormSearch& fresh = s.Open();
            QVERIFY(fresh.EditFrom->text().isEmpty());
            QVERIFY(!fresh.checkafter->isChecked() && !fresh.timeafter->isEnabled());
            QCOMPARE(fresh.timeafter->date(), QDate(2004, 8, 22));
            QCOMPARE(fresh.Label1->text(), QStringLiteral("Sent Items.dbx"));
        }
        QVERIFY(s.Interaction.Boxes.empty());
    }

    void findNowNarrows_data() {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("subject");
        QTest::addColumn<QDate>("before");  // null: bound off
        QTest::addColumn<QDate>("after");
        QTest::addColumn<QList<int>>("left");
        const QDate none;
        const QDate d21(2004, 8, 21), d22(2004, 8, 22), d25(2004, 8, 25);
        QTest::newRow("from in name or reply-to") << "alice"
                                                  << ""
                                                  << "" << none << none << QList<int>{0, 1};
        QTest::newRow("from in reply-to only") << "reply"
                                               << ""
                                               << "" << none << none << QList<int>{1};
        QTest::newRow("blanks and controls trimmed, case kept")
            << " \tAlice\n "
            << ""
            << "" << none << none << QList<int>{0, 2};
        QTest::newRow("lower case misses capital") << ""
                                                   << "bob"
                                                   << "" << none << none << QList<int>{2};
        QTest::newRow("all three texts") << "Alice"
                                         << "Bob"
                                         << "news" << none << none << QList<int>{0};
        QTest::newRow("blank text inactive beside a bound")
            << "   "
            << " "
            << "\t" << none << d22 << QList<int>{2, 3, 4};
        QTest::newRow("before: midnight itself excluded, now fails")
            << ""
            << ""
            << "" << d22 << none << QList<int>{0};
        QTest::newRow("after: midnight itself excluded, now passes")
            << ""
            << ""
            << "" << none << d22 << QList<int>{2, 3, 4};
        QTest::newRow("after A before B") << ""
                                          << ""
                                          << "" << d25 << d21 << QList<int>{0, 1, 2};
        QTest::newRow("after later than before") << ""
                                                 << ""
                                                 << "" << d22 << d25 << QList<int>{};
        QTest::newRow("text and bound") << "Alice"
                                        << ""
                                        << "" << none << d21 << QList<int>{0, 2};
    }

    void findNowNarrows() {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, subject);
        QFETCH(QDate, before);
        QFETCH(QDate, after);
        QFETCH(QList<int>, left);

        Session s;
        s.Window->RichEdit1() = "previewed text";
        TFormSearch& d = s.Open();
        d.EditFrom->setText(from);
        d.Editto->setText(to);
        d.Editsubject->setText(subject);
        if (before.isValid()) {
            d.checkbefore->setChecked(true);
            d.timebefore->setDate(before);
        }
        if (after.isValid()) {
            d.checkafter->setChecked(true);
            d.timeafter->setDate(after);
        }
        QTest::mouseClick(d.FlatButton2, Qt::LeftButton);

        QCOMPARE(s.Left(), left);
        QCOMPARE(s.Rows(), left.size());
        for (int row = 0; row < s.Rows(); ++row) {
            QCOMPARE(s.Window->ListMailModel()->index(row, 3).data().toString(),
                     QString::fromLatin1(kEntries[left[row]].Subject));
        }
        QVERIFY(s.Window->RichEdit1().empty());
        QCOMPARE(FormSearch(), &d);
        QVERIFY(d.isVisible());
        QVERIFY(s.Interaction.Boxes.empty());
    }

    void findNowWithoutCriterionChangesNothing() {
        Session s;
        s.Window->RichEdit1() = "previewed text";
        TFormSearch& d = s.Open();
        d.EditFrom->setText(QStringLiteral("  "));
        d.Editsubject->setText(QStringLiteral("\t"));
        d.FlatButton2->click();
        QCOMPARE(s.Left(), (QList<int>{0, 1, 2, 3, 4}));
        QCOMPARE(s.Rows(), 5);
        QCOMPARE(s.Window->RichEdit1(), std::string("previewed text"));

        // An emptied list with a criterion is left alone too.
        s.ShowList({});
        d.EditFrom->setText(QStringLiteral("Alice"));
        d.FlatButton2->click();
        QCOMPARE(s.Window->RichEdit1(), std::string("previewed text"));
        QVERIFY(s.Interaction.Boxes.empty());
    }

    void searchesNarrowInTurnUntilNothingIsLeft() {
        Session s;
        TFormSearch& d = s.Open();
        d.EditFrom->setText(QStringLiteral("Alice"));
        d.FlatButton2->click();
        QCOMPARE(s.Left(), (QList<int>{0, 2}));
        d.EditFrom->clear();
        d.Editsubject->setText(QStringLiteral("Report"));
        d.FlatButton2->click();
        QCOMPARE(s.Left(), (QList<int>{2}));

        d.Editsubject->setText(QStringLiteral("nowhere"));
        d.FlatButton2->click();
        QVERIFY(s.Left().isEmpty());
        QCOMPARE(s.Rows(), 0);
        QVERIFY(s.Interaction.Boxes.empty());

        d.FlatButton3->click();
        FlushDeletes();
        ShowSearch(*s.Window);
        QCOMPARE(FormSearch(), nullptr);
        QCOMPARE(s.Interaction.Boxes.size(), std::size_t{1});
        QCOMPARE(s.Interaction.Boxes[0].Text, kEmptyNotice);
    }

    // A command that holds the main window (an export walking the list) holds the dialog too.
    void heldWithTheMainWindow() {
        Session s;
        TFormSearch& d = s.Open();
        d.EditFrom->setText(QStringLiteral("Alice"));
        s.Window->setEnabled(false);
        QVERIFY(!d.isEnabled());
        d.FlatButton2Click();
        QCOMPARE(s.Left().size(), 5);
        s.Window->setEnabled(true);
        QVERIFY(d.isEnabled());
        d.FlatButton2->click();
        QCOMPARE(s.Left(), (QList<int>{0, 2}));
    }
};

QTEST_MAIN(SearchDialogTest)
#include "search_dialog_test.moc"
