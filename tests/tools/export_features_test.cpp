// Kept dates, mbox files, whole-store export and update runs.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>

#include "../core/temp_dir.h"
#include "mail_store_builder.h"
#include "ui/tools/mbox_export.h"
#include "ui/tools/message_export.h"
#include "ui/tools/store_export.h"

namespace dorvane {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every regular file under root with its bytes and modification time.
std::map<std::string, std::pair<std::string, fs::file_time_type>> Snapshot(const fs::path& root) {
    std::map<std::string, std::pair<std::string, fs::file_time_type>> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file()) continue;
        files[fs::relative(entry.path(), root).string()] = {ReadFile(entry.path()),
                                                            entry.last_write_time()};
    }
    return files;
}

fixture::MessageSpec Mail(int n, std::uint64_t received) {
    fixture::MessageSpec m;
    m.From = "Sender " + std::to_string(n);
    m.Subject = "Subject " + std::to_string(n);
    m.Received = received;
    m.Text = "From: Sender <s" + std::to_string(n) + "@example.org>\r\nSubject: " + m.Subject +
             "\r\nDate: Tue, 6 Jan 2004 14:05:00 +0100\r\n\r\nFrom here on, body " +
             std::to_string(n) + ".\r\n";
    return m;
}

std::vector<std::size_t> Rows(std::size_t count) {
    std::vector<std::size_t> rows(count);
    for (std::size_t i = 0; i < count; ++i) rows[i] = i;
    return rows;
}

TEST(KeptDates, ExportedFilesCarryTheReceivedTimeWhenItIsADate) {
    using namespace std::chrono;
    const auto received = fixture::FileTimeOf(2004, 1, 6, 13, 5);
    const struct {
        std::uint64_t Ticks;
        bool Kept;
    } cases[] = {{received, true},
                 {0, false},
                 {fixture::FileTimeOf(1985, 5, 1), false},  // before the year window
                 {fixture::FileTimeOf(2060, 5, 1), false},  // after it
                 {0xFFFFFFFFFFFFFFFFULL, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(ReceivedFileTime(FileTime::FromTicks(c.Ticks)).has_value(), c.Kept) << c.Ticks;
    }
    const auto kept = ReceivedFileTime(FileTime::FromTicks(received));
    ASSERT_TRUE(kept);
    EXPECT_EQ(floor<seconds>(file_clock::to_sys(*kept)).time_since_epoch().count(), 1073394300);

    testing::TempDir dir;
    const std::string file =
        dir.Write("Inbox.dbx", fixture::BuildMessageFile({Mail(1, received), Mail(2, 0)}).Bytes());
    ReaderState reader;
    MessageList messages;
    ReadDbxIndex(reader, file, nullptr, &messages);
    const auto before = fs::file_time_type::clock::now() - minutes(1);
    ASSERT_EQ(ExtractMessages(reader, file, false, messages, {0, 1}, dir.File("")).Written, 2u);
    std::map<char, fs::file_time_type> times;
    for (const auto& entry : fs::directory_iterator(dir.Path())) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() == ".eml") times[name[0]] = entry.last_write_time();
    }
    EXPECT_EQ(times['1'], *kept);
    EXPECT_GT(times['2'], before);  // no time: left as written
}

TEST(ParallelWriters, WriteWhatOneWriterWritesAndCountFailuresInRowOrder) {
    testing::TempDir dir;
    std::vector<fixture::MessageSpec> specs;
    for (int i = 0; i < 150; ++i)
        specs.push_back(Mail(i, fixture::FileTimeOf(2004, 2, 1 + i % 28)));
    const std::string file = dir.Write("Inbox.dbx", fixture::BuildMessageFile(specs).Bytes());
    ReaderState reader;
    MessageList messages;
    ReadDbxIndex(reader, file, nullptr, &messages);
    // Rows 40 and 90 cannot be written: a directory stands where their files would go.
    std::map<std::size_t, std::map<std::string, std::pair<std::string, fs::file_time_type>>> runs;
    for (const std::size_t writers : {1, 4}) {
        const fs::path out = dir.Path() / ("w" + std::to_string(writers));
        ExportSettings settings;
        settings.Writers = writers;
        fs::create_directories(out / "probe");
        ExportTally probe =
            ExtractMessages(reader, file, false, messages, {40, 90}, (out / "probe").string());
        ASSERT_EQ(probe.Written, 2u);
        for (const auto& entry : fs::directory_iterator(out / "probe")) {
            const std::string name = entry.path().filename().string();
            fs::create_directories(
                out / (name[0] == '1' ? "41" + name.substr(1) : "91" + name.substr(1)));
        }
        fs::remove_all(out / "probe");
        const ExportTally tally = ExtractMessages(
            reader, file, false, messages, Rows(messages.size()), out.string(), {}, settings);
        EXPECT_EQ(tally.Written, 148u);
        EXPECT_EQ(tally.WriteFailures, 2u);
        EXPECT_EQ(fs::path(tally.FirstFailedPath).filename().string().substr(0, 3), "41_");
        runs[writers] = Snapshot(out);
    }
    EXPECT_TRUE(runs[1] == runs[4]);
}

TEST(Mbox, SenderDateAndQuoting) {
    const std::pair<std::string, std::string> senders[] = {
        {"From: Alice <alice@example.org>\r\n\r\n", "alice@example.org"},
        {"from:   bob@example.org (Bob)\r\n\r\n", "bob@example.org"},
        {"To: x@y\r\nFrom: Carol\r\n <carol@example.net>\r\n\r\n", "carol@example.net"},
        {"From: <>\r\n\r\n", "MAILER-DAEMON"},
        {"From: \"A B\" <a b@example.org>\r\n\r\n", "MAILER-DAEMON"},
        {"Subject: none\r\n\r\nFrom: body@example.org\r\n", "MAILER-DAEMON"},
        {"", "MAILER-DAEMON"},
    };
    for (const auto& [text, sender] : senders) EXPECT_EQ(MboxSender(text), sender) << text;

    EXPECT_EQ(MboxDate(FileTime::FromTicks(fixture::FileTimeOf(2004, 1, 6, 13, 5))),
              "Tue Jan  6 13:05:00 2004");
    EXPECT_EQ(MboxDate(FileTime::FromTicks(fixture::FileTimeOf(2049, 12, 31, 23, 59, 59))),
              "Fri Dec 31 23:59:59 2049");
    EXPECT_EQ(MboxDate({}), "Thu Jan  1 00:00:00 1970");

    std::string out;
    AppendMboxMessage(out, "From: a@b\r\n\r\nFrom me\r>From you\n>>From:x\r\nno end", {});
    EXPECT_EQ(out,
              "From a@b Thu Jan  1 00:00:00 1970\n"
              "From: a@b\n\n>From me\n>>From you\n>>From:x\nno end\n\n");
    out.clear();
    AppendMboxMessage(out, "", {});
    EXPECT_EQ(out, "From MAILER-DAEMON Thu Jan  1 00:00:00 1970\n\n");
}

class StoreExportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::vector<fixture::MessageSpec> inbox;
        for (int i = 0; i < 6; ++i) inbox.push_back(Mail(i, fixture::FileTimeOf(2004, 1, 1 + i)));
        dir_.Write("Inbox.dbx", fixture::BuildMessageFile(inbox).Bytes());
        dir_.Write("Work.dbx", fixture::BuildMessageFile({Mail(10, 0)}).Bytes());
        // A folder file whose index is gone: its message must be salvaged.
        auto lost = fixture::BuildMessageFile({Mail(20, fixture::FileTimeOf(2003, 3, 3))});
        lost.SetMessageRoot(0);
        lost.AddPadding(200);
        dir_.Write("Lost.dbx", lost.Bytes());
        catalogue_ =
            dir_.Write("folders.dbx", fixture::BuildCatalogue({{"Outlook Express", 0, 0, ""},
                                                               {"Inbox", 1, 0, "Inbox.dbx"},
                                                               {"Projects", 2, 0, ""},
                                                               {"Work", 3, 2, "Work.dbx"},
                                                               {"work", 4, 2, "Lost.dbx"},
                                                               {"Gone", 5, 1, "Gone.dbx"}})
                                          .Bytes());
    }
    testing::TempDir dir_;
    ReaderState reader_;
    std::string catalogue_;
};

TEST_F(StoreExportTest, TheFolderTreeBecomesADirectoryTree) {
    const fs::path out = dir_.Path() / "out";
    const ExportTally tally = ExportStore(reader_, catalogue_, out.string());
    EXPECT_EQ(StoreExportSummary(tally),
              "6 folders, 8 messages written, 1 messages recovered, 0 unchanged, 1 failures.");
    const fs::path top = out / "Outlook Express";
    std::size_t inInbox = 0;
    for (const auto& entry : fs::directory_iterator(top / "Inbox")) {
        inInbox += entry.path().extension() == ".eml";
    }
    EXPECT_EQ(inInbox, 6u);
    EXPECT_TRUE(fs::is_directory(top / "Inbox" / "Gone"));  // missing file: counted, kept
    EXPECT_EQ(std::distance(fs::directory_iterator(top / "Projects" / "Work"), {}), 1);
    // "work" differs from "Work" only in case: a directory of its own, not a merge.
    EXPECT_EQ(std::distance(fs::directory_iterator(top / "Projects" / "work (2)"), {}), 1);
}

TEST_F(StoreExportTest, MboxPerFolderReadsBackAsTheEmlFiles) {
    const fs::path out = dir_.Path() / "mbox";
    ExportStore(reader_, catalogue_, out.string(), {false, true});
    const std::string mbox = ReadFile(out / "Outlook Express" / "Inbox" / "Inbox.mbox");
    EXPECT_EQ(mbox.rfind("From s0@example.org Thu Jan  1 00:00:00 2004\nFrom: Sender", 0), 0u);
    EXPECT_NE(mbox.find("\n>From here on, body 0.\n\nFrom s1@"), std::string::npos);
    EXPECT_FALSE(fs::exists(out / "Outlook Express" / "Inbox" / "Inbox.mbox.partial"));
}

TEST_F(StoreExportTest, AnUpdateRunWritesNothingNewAndLeavesFilesAlone) {
    for (const bool mbox : {false, true}) {
        const fs::path out = dir_.Path() / (mbox ? "m" : "e");
        const ExportSettings update{true, mbox};
        const ExportTally first = ExportStore(reader_, catalogue_, out.string(), update);
        EXPECT_EQ(first.Written, 8u);
        const auto before = Snapshot(out);
        const ExportTally second = ExportStore(reader_, catalogue_, out.string(), update);
        EXPECT_EQ(second.Written, 0u);
        EXPECT_EQ(second.Unchanged, 8u);
        EXPECT_TRUE(Snapshot(out) == before) << mbox;
    }
}

TEST(UpdateRun, ANewMessageInTheMiddleIsAddedWithoutReplacingAnyFile) {
    testing::TempDir dir;
    const fs::path out = dir.Path() / "out";
    fs::create_directories(out);
    ReaderState reader;
    const auto exportFolder = [&](const std::vector<fixture::MessageSpec>& specs) {
        const std::string file = dir.Write("Inbox.dbx", fixture::BuildMessageFile(specs).Bytes());
        MessageList messages;
        ReadDbxIndex(reader, file, nullptr, &messages);
        return ExtractMessages(reader, file, false, messages, Rows(messages.size()), out.string(),
                               {}, {true, false});
    };
    // Sender 1 and 9 share a name; only the bytes tell them apart.
    fixture::MessageSpec twin = Mail(9, 0);
    twin.From = "Sender 1";
    twin.Subject = "Subject 1";
    EXPECT_EQ(exportFolder({Mail(0, 0), Mail(1, 0), Mail(2, 0)}).Written, 3u);
    const auto before = Snapshot(out);
    const ExportTally again = exportFolder({Mail(0, 0), twin, Mail(1, 0), Mail(2, 0)});
    EXPECT_EQ(again.Written, 1u);
    EXPECT_EQ(again.Unchanged, 3u);
    const auto after = Snapshot(out);
    EXPECT_EQ(after.size(), 4u);
    for (const auto& [name, file] : before) EXPECT_TRUE(after.at(name) == file) << name;
}

}  // namespace
}  // namespace dorvane
