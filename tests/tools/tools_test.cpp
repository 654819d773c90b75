#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "../core/temp_dir.h"
#include "mail_store_builder.h"
#include "store/store_paths.h"
#include "ui/tools/export_naming.h"
#include "ui/tools/message_export.h"
#include "ui/tools/message_search.h"
#include "ui/tools/message_sort.h"
#include "ui/tools/store_export.h"

namespace dorvane {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(WriteWithCrLf, EveryLineBreakBecomesCrLfAndNothingElseChanges) {
    const std::pair<std::string, std::string> cases[] = {
        {"a\r\nb", "a\r\nb"},
        {"a\rb", "a\r\nb"},
        {"a\nb", "a\r\nb"},
        {"a\n\rb", "a\r\n\r\nb"},
        {"end\r", "end\r\n"},
        {"", ""},
        {std::string("n\0l\xE9", 4), std::string("n\0l\xE9", 4)},
        {"\r\n\r\n", "\r\n\r\n"},
    };
    for (const auto& [in, expected] : cases) {
        std::ostringstream out;
        WriteWithCrLf(in, out);
        EXPECT_EQ(out.str(), expected);
    }
}

TEST(BuildExportFileName, FourStepsOnTheBytes) {
    struct Row {
        std::string From, Subject, Received, Expected;
    };
    const Row rows[] = {
        {"Ann Lee", "Re: Minutes 4.2", "22/08/2004 10:15:30",
         "Ann Lee_Re- Minutes 4-2_22-08-2004 10-15-30"},
        {"", "", "22/08/2004", "__22-08-2004"},
        {"a\\b/c*d\"e<f>g|h?i'j", "s", "r", "a-b-c-d-e-f-g-h-i-j_s_r"},
        {"J\xFCrgen", "100% \x01tab", "r", "J_rgen_100_ _tab_r"},
        {"\xE4\xB8\xAD", "s", "r", "____s_r"},  // one "_" per byte of a wide character
        // Cut to 90 bytes before the 8-bit bytes are replaced.
        {std::string(88, 'x') + "\xE9\xE9\xE9", "s", "r", std::string(88, 'x') + "__"},
        {"../../etc/passwd", "..\\..\\x", "C:", "------etc-passwd_------x_C-"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(BuildExportFileName(row.From, row.Subject, row.Received), row.Expected)
            << row.From;
    }
    const std::string d(1, kPathDelimiter);
    EXPECT_EQ(ExportFilePath("root" + d, 3, "n"), "root" + d + "3_n.eml");
    EXPECT_EQ(ExportFilePath("root", 3, "n"), "root" + d + "3_n.eml");
}

TEST(ExportNames, HostileTextsStayInsideTheChosenDirectory) {
    testing::TempDir dir;
    const fs::path root = dir.Path() / "chosen";
    fs::create_directories(root);
    const std::string hostile[] = {"../../escape",
                                   "..\\..\\escape",
                                   "/etc/passwd",
                                   "C:\\Windows",
                                   "CON",
                                   "nul",
                                   "Com1",
                                   "LPT9",
                                   "..",
                                   "",
                                   std::string(1000, 'S'),
                                   std::string("\x01\x1F\x7F\xFF\0x", 6)};
    std::size_t sequence = 0;
    for (const std::string& text : hostile) {
        const std::string file =
            ExportFilePath(root.string(), ++sequence, BuildExportFileName(text, text, text));
        ASSERT_TRUE(WriteMessageFile(file, "x")) << text;
        EXPECT_EQ(fs::canonical(file).parent_path(), fs::canonical(root)) << text;
        const std::string folder = SafeDirectoryName(text);
        fs::create_directories(root / folder);
        EXPECT_EQ(fs::canonical(root / folder).parent_path(), fs::canonical(root)) << text;
    }
    EXPECT_EQ(SafeDirectoryName("CON"), "CON_");
    EXPECT_EQ(SafeDirectoryName("lpt1"), "lpt1_");
    EXPECT_EQ(SafeDirectoryName("COM10"), "COM10");
    EXPECT_EQ(SafeDirectoryName("Inbox "), "Inbox_");
    EXPECT_EQ(SafeDirectoryName(""), "_");
    EXPECT_EQ(SafeDirectoryName(".."), "--");
}

std::shared_ptr<const Toe5_MessageInfo> Message(std::string from, std::string replyTo,
                                                std::string to, std::string subject,
                                                std::uint64_t received = 0, std::int32_t size = 0,
                                                std::int32_t offset = 0) {
    auto m = std::make_shared<Toe5_MessageInfo>();
    m->FromName = std::move(from);
    m->ReplyTo = std::move(replyTo);
    m->ToName = std::move(to);
    m->Subject = std::move(subject);
    m->ReceivedTime = FileTime::FromTicks(received);
    m->MsgSize = size;
    m->DataOffset = offset;
    return m;
}

// A stored time whose local date is the given day at the given hour.
std::uint64_t LocalDay(int year, int month, int day, int hour = 0) {
    return fixture::FileTimeOf(year, month, day, hour) -
           static_cast<std::uint64_t>(platform::CurrentUtcOffsetSeconds() * 10'000'000LL);
}

TEST(ApplySearch, NarrowsByEveryActiveCriterion) {
    const MessageList all = {
        Message("Ann", "", "Bob", "Holiday", LocalDay(2004, 8, 21, 12)),
        Message("Carl", "ann@x", "Bob", "Invoice", LocalDay(2004, 8, 22, 0)),
        Message("Dora", "", "Eve", "holiday", LocalDay(2004, 8, 23, 9)),
        Message("Ann", "", "Eve", "Holiday plans", 0),
    };
    const LocalDateTime aug22{2004, 8, 22, 0, 0, 0, 0};
    const LocalDateTime aug23{2004, 8, 23, 0, 0, 0, 0};
    struct Row {
        const char* Name;
        SearchCriteria Criteria;
        std::vector<std::string> Subjects;
    };
    const Row rows[] = {
        {"FromAlsoMatchesReplyTo", {"ann", "", "", {}, {}}, {"Invoice"}},
        {"CaseSensitiveAndTrimmed", {"  Ann\t", "", "", {}, {}}, {"Holiday", "Holiday plans"}},
        {"AllTextCriteria", {"Ann", "Eve", "Holiday", {}, {}}, {"Holiday plans"}},
        {"BlanksAreNoCriterion",
         {"   ", "", "", {}, {}},
         {"Holiday", "Invoice", "holiday", "Holiday plans"}},
        {"MidnightPassesNeitherBound", {"", "", "", aug22, {}}, {"Holiday"}},
        {"AfterKeepsFromTheBoundOn", {"", "", "", {}, aug22}, {"holiday", "Holiday plans"}},
        {"BetweenTwoDays", {"", "", "", aug23, aug22}, {}},
        {"AfterLaterThanBeforeKeepsNothing", {"", "", "", aug22, aug23}, {}},
    };
    for (const Row& row : rows) {
        MessageList list = all;
        ApplySearch(list, row.Criteria);
        std::vector<std::string> subjects;
        for (const auto& m : list) subjects.push_back(m->Subject);
        EXPECT_EQ(subjects, row.Subjects) << row.Name;
    }
}

TEST(SortMessages, ColumnsAndDirections) {
    const MessageList all = {
        Message("bob", "", "", "b", LocalDay(2003, 1, 1), 5, 900),
        Message("Alice", "", "", "A", LocalDay(2005, 1, 1), -1, 80),
        Message("1st", "", "", "\xE9", LocalDay(2004, 1, 1), 0, 1000),
    };
    const auto froms = [](const MessageList& list) {
        std::vector<std::string> out;
        for (const auto& m : list) out.push_back(m->FromName);
        return out;
    };
    struct Row {
        MessageColumn Column;
        bool Descending;
        std::vector<std::string> Expected;
    };
    const Row rows[] = {
        {MessageColumn::From, true, {"bob", "Alice", "1st"}},
        {MessageColumn::From, false, {"1st", "Alice", "bob"}},
        {MessageColumn::Subject, false, {"Alice", "bob", "1st"}},  // 0xE9 is not folded
        {MessageColumn::Received, true, {"Alice", "1st", "bob"}},
        {MessageColumn::Size, false, {"Alice", "1st", "bob"}},
        {MessageColumn::Position, false, {"Alice", "bob", "1st"}},  // 80 < 900 < 1000 as numbers
    };
    for (const Row& row : rows) {
        MessageList list = all;
        SortMessages(list, row.Column, row.Descending);
        EXPECT_EQ(froms(list), row.Expected) << static_cast<int>(row.Column) << row.Descending;
    }
    EXPECT_EQ(CompareListTexts("abc", "ABC"), 0);
    EXPECT_LT(CompareListTexts("ab", "abc"), 0);
}

class ExportRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::vector<fixture::MessageSpec> messages;
        for (int i = 0; i < 10; ++i) {
            fixture::MessageSpec m;
            m.From = "Sender " + std::to_string(i);
            m.Subject = "Subject " + std::to_string(i);
            m.Received = fixture::FileTimeOf(2004, 1, 1 + i, 12);
            m.Text = "Subject: " + m.Subject + "\nline one\rline two\r\n";
            messages.push_back(m);
        }
        file_ = dir_.Write("Inbox.dbx", fixture::BuildMessageFile(messages).Bytes());
        ReadDbxIndex(reader_, file_, nullptr, &messages_);
    }
    testing::TempDir dir_;
    ReaderState reader_;
    std::string file_;
    MessageList messages_;
};

TEST_F(ExportRunTest, SelectedRowsAreNumberedInRowOrderWithCrLfText) {
    const std::string out = dir_.File("out");
    std::filesystem::create_directories(out);
    std::vector<std::pair<std::size_t, std::size_t>> progress;
    const ExportTally tally = ExtractMessages(reader_, file_, false, messages_, {2, 5, 9}, out,
                                              [&](std::size_t done, std::size_t total) {
                                                  progress.emplace_back(done, total);
                                                  return true;
                                              });
    EXPECT_EQ(tally.Written, 3u);
    EXPECT_EQ(progress, (std::vector<std::pair<std::size_t, std::size_t>>{{1, 3}, {2, 3}, {3, 3}}));
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(out)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    ASSERT_EQ(names.size(), 3u);
    EXPECT_EQ(names[0].substr(0, 19), "1_Sender 2_Subject ");
    EXPECT_EQ(names[2].substr(0, 19), "3_Sender 9_Subject ");
    EXPECT_EQ(ReadFile(std::filesystem::path(out) / names[0]),
              "Subject: Subject 2\r\nline one\r\nline two\r\n");
}

TEST_F(ExportRunTest, CancelStopsBetweenRowsAndUnwritableFilesAreCounted) {
    const ExportTally cancelled =
        ExtractMessages(reader_, file_, false, messages_, {0, 1, 2, 3}, dir_.File("c"),
                        [](std::size_t done, std::size_t) { return done < 2; });
    EXPECT_EQ(cancelled.Written + cancelled.WriteFailures, 2u);

    const ExportTally failed =
        ExtractMessages(reader_, file_, false, messages_, {0, 1}, dir_.File("missing/dir"));
    EXPECT_EQ(failed.Written, 0u);
    EXPECT_EQ(failed.WriteFailures, 2u);
    EXPECT_EQ(WriteFailureNotice(failed).substr(0, 32), "2 messages could not be written.");
    EXPECT_NE(WriteFailureNotice(failed).find("1_Sender 0"), std::string::npos);
}

TEST_F(ExportRunTest, BatchRowsOfEveryKind) {
    // A catalogue naming this folder, a single file, a damaged copy and a missing file.
    const std::string catalogue =
        dir_.Write("folders.dbx", fixture::BuildCatalogue({{"Outlook Express", 0, 0, ""},
                                                           {"In: box", 1, 0, "Inbox.dbx"},
                                                           {"Gone", 2, 0, "Gone.dbx"}})
                                      .Bytes());
    auto damaged = fixture::BuildMessageFile(
        {{"a@x", "", "b@x", "Lost", "", 0,
          "From: a@x\r\nSubject: Lost\r\nDate: 6 Jan 2004\r\n\r\nx\r\n"}});
    damaged.SetMessageRoot(0);
    damaged.AddPadding(200);
    const std::string damagedFile = dir_.Write("Damaged.dbx", damaged.Bytes());

    ExportTally tally = ExportBatchRow(reader_, catalogue, dir_.File("all"));
    EXPECT_EQ(tally.Written, 10u);
    EXPECT_EQ(tally.ReadFailures, 1u);  // Gone.dbx
    EXPECT_TRUE(std::filesystem::is_directory(dir_.Path() / "all" / "Outlook Express" / "In- box"));
    tally.Add(ExportBatchRow(reader_, file_, dir_.File("single")));
    tally.Add(ExportBatchRow(reader_, damagedFile, dir_.File("salvaged")));
    EXPECT_EQ(tally.Written, 21u);
    EXPECT_EQ(tally.Recovered, 1u);
    EXPECT_EQ(BatchNotice(tally),
              "21 messages written from 3 files. 1 could not be written or read.");
}

}  // namespace
}  // namespace dorvane
