#include "window_fixtures.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <QtTest>

namespace dorvane::ui::test {

namespace {

using fixture::FileTimeOf;
using fixture::MessageSpec;

MessageSpec Message(const std::string& from, const std::string& subject, std::uint64_t received,
                    const std::string& text) {
    MessageSpec m;
    m.From = from;
    m.To = "Reader <reader@example.org>";
    m.Subject = subject;
    m.Received = received;
    m.Text = text;
    return m;
}

MessageSpec Composed(const std::string& from, const std::string& subject, const std::string& date) {
    MessageSpec m = Message(from, subject, FileTimeOf(2004, 5, 1, 9), "");
    m.Text = fixture::ComposeMessageText(m, date, "Body of " + subject + "\r\n");
    return m;
}

// A folder file whose index has been wiped, as a crash leaves it: only Recover finds its
// messages.
fixture::DbxWriter DamagedFile(const std::vector<MessageSpec>& messages,
                               std::vector<fixture::BuiltMessage>& built) {
    fixture::DbxWriter w(fixture::DbxWriter::kRealHeaderSize);
    std::vector<std::int32_t> records;
    for (const auto& message : messages) {
        built.push_back(fixture::AddMessage(w, message));
        records.push_back(built.back().Record);
    }
    const std::int32_t indexStart = w.Size();
    w.SetMessageRoot(fixture::AddIndex(w, records, 8));
    w.SetItemCount(static_cast<std::int32_t>(messages.size()));
    std::fill(w.Bytes().begin() + indexStart, w.Bytes().end(), 0);
    w.AddPadding(256);
    return w;
}

}  // namespace

FixtureStore::FixtureStore() {
    namespace fs = std::filesystem;
    const fs::path root = Root.path().toStdString();
    StoreDir = (root / "store").string();
    OtherDir = (root / "other").string();
    fs::create_directories(StoreDir);
    fs::create_directories(OtherDir);
    fs::create_directories(OtherDir + "/lone");

    fixture::BuildCatalogue({{"Outlook Express", 0, 0, ""},
                             {"Inbox", 1, 0, "Inbox.dbx"},
                             {"Projects", 7, 0, ""},
                             {"Garden", 8, 7, "Garden.dbx"},
                             {"Missing", 9, 0, "Missing.dbx"},
                             {"Upper", 10, 0, "Upper.DBX"}})
        .Save(StorePath("folders.dbx"));
    Inbox = {
        // Line breaks of all three kinds: the preview writes each as CR LF.
        Message("bob <bob@example.org>", "beta", FileTimeOf(2004, 3, 1, 10),
                "From: bob\nTo: reader\rSubject: beta\r\n\r\nbody\n"),
        Message("Alice <alice@example.org>", "Alpha", FileTimeOf(2004, 3, 2, 11),
                "From: Alice\r\nSubject: Alpha\r\n\r\nHello\r\n"),
        Message("9 Digits <nine@example.org>", "gamma", 0, "From: 9 Digits\r\n\r\nNo date\r\n"),
        Message("carol <carol@example.org>", "ALPHA ", FileTimeOf(2003, 1, 1, 8),
                "From: carol\r\n\r\nOld\r\n"),
    };
    fixture::BuildMessageFile(Inbox, {}, &InboxBuilt).Save(StorePath("Inbox.dbx"));
    fixture::BuildMessageFile({Message("Gardener", "Roses", FileTimeOf(2004, 6, 1), "Roses\r\n"),
                               Message("Gardener", "Tulips", FileTimeOf(2004, 6, 2), "Tulips\r\n")})
        .Save(StorePath("Garden.dbx"));
    fixture::BuildMessageFile({Message("Shouter", "Caps", FileTimeOf(2004, 7, 1), "Caps\r\n")})
        .Save(StorePath("Upper.DBX"));

    fixture::BuildCatalogue({{"Outlook Express", 0, 0, ""},
                             {"Elsewhere", 1, 0, "Elsewhere.dbx"},
                             {"Second", 2, 0, "Second.dbx"}})
        .Save(OtherPath("folders.dbx"));
    fs::copy_file(OtherPath("folders.dbx"), OtherPath("Folders.dbx"));
    fixture::BuildCatalogue({{"Lonely", 1, 0, "Lonely.dbx"}}).Save(OtherPath("lone/folders.dbx"));
    fixture::BuildMessageFile({Message("A", "one", FileTimeOf(2004, 1, 1), "one\r\n"),
                               Message("B", "two", FileTimeOf(2004, 1, 2), "two\r\n"),
                               Message("C", "three", FileTimeOf(2004, 1, 3), "three\r\n")})
        .Save(OtherPath("Elsewhere.dbx"));
    fixture::BuildMessageFile({Message("D", "four", FileTimeOf(2004, 1, 4), "four\r\n")})
        .Save(OtherPath("Second.dbx"));
    fixture::BuildMessageFile({Message("E", "lonely", FileTimeOf(2004, 1, 5), "lonely\r\n")})
        .Save(OtherPath("lone/Lonely.dbx"));
    fixture::BuildMessageFile({}).Save(OtherPath("Empty.dbx"));
    fixture::BuildMessageFile({Message("F", "single", FileTimeOf(2004, 2, 1), "single\r\n"),
                               Message("G", "double", FileTimeOf(2004, 2, 2), "double\r\n")})
        .Save(OtherPath("Single.dbt"));
    DamagedFile({Composed("Ann <ann@example.org>", "First", "Mon, 3 May 2004 10:00:00 +0000"),
                 Composed("Ben <ben@example.org>", "Second", "Tue, 4 May 2004 10:00:00 +0000"),
                 Composed("Cid <cid@example.org>", "Third", "Wed, 5 May 2004 10:00:00 +0000")},
                DamagedBuilt)
        .Save(OtherPath("Damaged.dbx"));
    std::ofstream(OtherPath("tiny.dbx"), std::ios::binary) << std::string(100, '\0');
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

WindowSession::WindowSession(TForm1::StoreLocator locator) {
    Interaction.Directory = Store.Root.path();
    if (!locator) locator = [dir = Store.StoreDir] { return dir; };
    Window = std::make_unique<TForm1>(Interaction, std::move(locator));
    Window->show();
    QVERIFY(QTest::qWaitForWindowExposed(Window.get()));
}

}  // namespace dorvane::ui::test
