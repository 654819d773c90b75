#include <gtest/gtest.h>

#include <chrono>
#include <random>

#include "../core/temp_dir.h"
#include "dbx_writer.h"
#include "literal_scan.h"
#include "mail_store_builder.h"
#include "recovery/recovery_scan.h"

namespace dorvane {
namespace {

using fixture::DbxWriter;

std::string Message(const std::string& subject, std::size_t bodyBytes = 40) {
    return "From: a@example.org\r\nTo: b@example.org\r\nSubject: " + subject +
           "\r\nDate: Tue, 6 Jan 2004 14:05:00 +0100\r\n\r\n" + std::string(bodyBytes, 'b') +
           "\r\n";
}

class Recorder : public ScanObserver {
  public:
    void Begin(const std::string& fileName) override { events.push_back("begin " + fileName); }
    void Progress(std::int64_t label, std::int64_t position, std::int64_t total) override {
        events.push_back("progress " + std::to_string(label) + " " + std::to_string(position) +
                         "/" + std::to_string(total));
        ++progressCalls;
    }
    bool CancelRequested() override { return cancelAfter >= 0 && progressCalls >= cancelAfter; }
    void End() override { events.push_back("end"); }

    std::vector<std::string> events;
    int progressCalls = 0;
    int cancelAfter = -1;
};

MessageList Scan(const std::vector<std::uint8_t>& bytes, ScanObserver& observer) {
    testing::TempDir dir;
    ReaderState reader;
    MessageList list;
    ScanForMessages(reader, dir.Write("Inbox.dbx", bytes), 80, list, observer);
    EXPECT_FALSE(reader.OpenFile.has_value());
    return list;
}

MessageList Scan(const std::vector<std::uint8_t>& bytes) {
    ScanObserver silent;
    return Scan(bytes, silent);
}

void ExpectSameAsLiteral(const std::vector<std::uint8_t>& bytes, const std::string& what) {
    const MessageList fast = Scan(bytes);
    const std::vector<Toe5_MessageInfo> literal = testing::LiteralScan(bytes);
    ASSERT_EQ(fast.size(), literal.size()) << what;
    for (std::size_t i = 0; i < fast.size(); ++i)
        EXPECT_EQ(*fast[i], literal[i]) << what << " #" << i;
}

TEST(ProgressBarValue, ThreeDigitRule) {
    struct Row {
        std::int64_t P, T;
        int Current, Expected;
    };
    const Row rows[] = {
        {7340032, 52428736, 5, 14},    // one digit fewer: a3 * 10 / b3
        {52428735, 52428736, 5, 100},  // as many digits: a3 * 100 / b3
        {99, 52428736, 5, 5},          // fewer than three digits: the bar stays
        {734003, 52428736, 5, 5},      // two digits fewer: the bar stays
        {100, 999, 7, 10},
        {150, 1000, 7, 15},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ProgressBarValue(row.P, row.T, row.Current), row.Expected)
            << row.P << "/" << row.T;
    }
}

TEST(RecoveryScan, OneMessageRunsFromItsBlockToItsLastTextByte) {
    DbxWriter w;
    w.AddPadding(64);
    const std::string text = Message("one");
    const std::int32_t block = w.AddText(text);
    w.AddPadding(200);
    const MessageList found = Scan(w.Bytes());
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0]->DataOffset, block);
    EXPECT_EQ(found[0]->MsgSize, static_cast<std::int32_t>(16 + text.size()));
    EXPECT_EQ(found[0]->Subject, " one\r");
    ExpectSameAsLiteral(w.Bytes(), "one message");
}

TEST(RecoveryScan, AdjacentMessagesShareTheBoundaryByte) {
    // The first message fills its block but for 10 bytes: no run of 18 zeros before the
    // second message's block, so the first range ends on that block's first byte.
    DbxWriter w;
    w.AddPadding(64);
    const std::string first = Message("first", 502 - Message("first", 0).size());
    const std::int32_t firstBlock = w.AddText(first);
    const std::int32_t secondBlock = w.AddText(Message("second"));
    w.AddPadding(200);
    const MessageList found = Scan(w.Bytes());
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0]->DataOffset, firstBlock);
    EXPECT_EQ(found[0]->MsgSize, secondBlock - firstBlock + 1);
    EXPECT_EQ(found[1]->DataOffset, secondBlock);
    ExpectSameAsLiteral(w.Bytes(), "adjacent");
}

TEST(RecoveryScan, EdgeCasesGiveWhatTheRulesGive) {
    struct Case {
        const char* Name;
        std::function<void(DbxWriter&)> Build;
        std::size_t Records;
    };
    const Case cases[] = {
        {"DamagedFirstBlockWithoutZeroRun",
         [](DbxWriter& w) {
             // Text right after text: no zero run, and the block header no longer matches.
             std::fill(w.Bytes().begin(), w.Bytes().end(), 'x');
             w.AddBytes(std::string(300, 'x'));
             const std::int32_t block = w.AddText(Message("lost"));
             w.PutU32(block, 7);
             w.AddPadding(200);
         },
         0},
        {"LastMessageWithoutAnEnd",
         [](DbxWriter& w) {
             w.AddPadding(64);
             w.AddBlock(Message("tail", 400), 512, 0);
             w.AddBytes(std::string(50, 'x'));
         },
         0},
        {"DateAtWindowOffset191",
         [](DbxWriter& w) {
             // The scan's first window starts at 80: its offset 191 is 271, which is 55
             // bytes into the text of a block at 200.
             w.Bytes().resize(200);
             w.AddText(std::string(53, 'x') +
                       "\r\nDate: Tue, 6 Jan 2004 14:05:00\r\n"
                       "Subject: s\r\n\r\nbody\r\n");
             w.AddPadding(200);
         },
         1},
        {"TwoCopiesOfOneMessage",
         [](DbxWriter& w) {
             w.AddPadding(64);
             w.AddText(Message("copy"));
             w.AddPadding(64);
             w.AddText(Message("copy"));
             w.AddPadding(200);
         },
         2},
        {"FileOf144Bytes", [](DbxWriter& w) { w.Bytes().assign(144, 0); }, 0},
        {"EmptyFile", [](DbxWriter& w) { w.Bytes().clear(); }, 0},
    };
    for (const Case& c : cases) {
        DbxWriter w;
        c.Build(w);
        EXPECT_EQ(Scan(w.Bytes()).size(), c.Records) << c.Name;
        ExpectSameAsLiteral(w.Bytes(), c.Name);
    }
}

TEST(RecoveryScan, FastScanMatchesTheLiteralRulesOnGeneratedAndRandomFiles) {
    std::mt19937 random(1234);
    for (int round = 0; round < 150; ++round) {
        DbxWriter w(0x100);
        const int messages = 1 + static_cast<int>(random() % 6);
        for (int m = 0; m < messages; ++m) {
            // Gaps of every kind: none, short runs of zeros, text, long zero runs.
            switch (random() % 4) {
                case 0:
                    break;
                case 1:
                    w.AddPadding(random() % 20);
                    break;
                case 2:
                    w.AddBytes(std::string(random() % 40, 'Q'));
                    break;
                default:
                    w.AddPadding(random() % 600);
                    break;
            }
            std::string text = Message("m" + std::to_string(m), random() % 1500);
            if (random() % 5 == 0) text.insert(random() % text.size(), "Date: 1 Feb 2003\r\n");
            const std::int32_t first = w.AddText(text, 1 + random() % 512);
            if (random() % 6 == 0) w.PutU32(first, random());  // a damaged block header
        }
        w.AddPadding(random() % 300);
        // Sprinkle damage: flipped bytes anywhere.
        for (int flips = random() % 4; flips > 0; --flips) {
            w.Bytes()[random() % w.Bytes().size()] = static_cast<std::uint8_t>(random());
        }
        ExpectSameAsLiteral(w.Bytes(), "generated round " + std::to_string(round));
    }
    for (int round = 0; round < 100; ++round) {
        // Random bytes over a tiny alphabet, so "Date:", zero runs and self-offsets occur.
        std::vector<std::uint8_t> bytes(100 + random() % 3000);
        const std::uint8_t alphabet[] = {0, 0, 0, 'D', 'a', 't', 'e', ':', 'x'};
        for (auto& b : bytes) b = alphabet[random() % sizeof alphabet];
        for (int i = 0; i < 8; ++i) {
            const std::size_t at = random() % (bytes.size() - 4);
            for (int k = 0; k < 4; ++k) bytes[at + k] = static_cast<std::uint8_t>(at >> (8 * k));
        }
        ExpectSameAsLiteral(bytes, "random round " + std::to_string(round));
    }
}

TEST(RecoveryScan, ObserverSeesBeginProgressAndEndAndCancelStopsTheScan) {
    DbxWriter w;
    for (int m = 0; m < 40; ++m) {
        w.AddPadding(64);
        w.AddText(Message("m" + std::to_string(m), 200));
    }
    w.AddPadding(200);

    Recorder all;
    const std::size_t total = Scan(w.Bytes(), all).size();
    EXPECT_EQ(total, 40u);
    ASSERT_GE(all.events.size(), 3u);
    EXPECT_EQ(all.events.front(), "begin Inbox.dbx");
    EXPECT_EQ(all.events.back(), "end");

    Recorder cancelling;
    cancelling.cancelAfter = all.progressCalls / 2;
    const std::size_t partial = Scan(w.Bytes(), cancelling).size();
    EXPECT_GT(partial, 0u);
    EXPECT_LT(partial, total);
    EXPECT_EQ(cancelling.events.back(), "end");
}

TEST(RecoveryScan, HostileFilesScanInLinearTime) {
    const std::string date = "Date:";
    std::vector<std::uint8_t> dates;
    dates.reserve(20 << 20);
    while (dates.size() < (20u << 20)) dates.insert(dates.end(), date.begin(), date.end());

    DbxWriter withBlock;
    withBlock.AddPadding(64);
    withBlock.AddBlock("", 0, 0);
    withBlock.Bytes().insert(withBlock.Bytes().end(), dates.begin(), dates.end());

    for (const auto* bytes : {&dates, &withBlock.Bytes()}) {
        const auto started = std::chrono::steady_clock::now();
        Scan(*bytes);
        const auto seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        // The byte-by-byte rules take hours here; linear work takes well under a second.
        EXPECT_LT(seconds, 5.0);
    }
}

TEST(RecoveryScan, DemoStoresDamagedInboxGivesItsDatedMessages) {
    ReaderState reader;
    MessageList list;
    ScanObserver silent;
    ScanForMessages(reader, std::string(DORVANE_DEMO_STORE_DIR) + "/Damaged Inbox.dbx", 80, list,
                    silent);
    // Twelve messages, one of which was saved without a Date line.
    ASSERT_EQ(list.size(), 11u);
    std::ostringstream text;
    ReadRecoveredText(reader, std::string(DORVANE_DEMO_STORE_DIR) + "/Damaged Inbox.dbx",
                      list[0]->DataOffset, text);
    EXPECT_EQ(text.str().rfind("From: ", 0), 0u);
}

}  // namespace
}  // namespace dorvane
