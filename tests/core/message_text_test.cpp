#include <gtest/gtest.h>

#include <sstream>

#include "dbx_writer.h"
#include "platform/platform_error.h"
#include "store/uoexpress.h"
#include "temp_dir.h"

namespace dorvane {
namespace {

using fixture::DbxWriter;

struct ChainCase {
    const char* Name;
    // Builds the file and returns the first block's offset.
    std::int32_t (*Build)(DbxWriter& w);
    std::string Stored;     // what ReadMessageText gives
    std::string Recovered;  // what ReadRecoveredText gives
    friend void PrintTo(const ChainCase& c, std::ostream* os) { *os << c.Name; }
};

std::string Repeat(char c, std::size_t n) {
    return std::string(n, c);
}

const ChainCase kChains[] = {
    {"ThreeBlocksOf512And512And100",
     [](DbxWriter& w) { return w.AddText(Repeat('a', 1024) + Repeat('b', 100)); },
     Repeat('a', 1024) + Repeat('b', 100), Repeat('a', 1024) + Repeat('b', 100)},
    {"UsedLengthZeroContributesNothingButChainGoesOn",
     [](DbxWriter& w) {
         const std::int32_t first = w.AddBlock("ignored", 0, w.Size() + 528);
         w.AddBlock("tail", 4, 0);
         return first;
     },
     "tail", "tail"},
    {"UsedLengthAbove512CountsAs512",
     [](DbxWriter& w) { return w.AddBlock(Repeat('c', 512), 600, 0); }, Repeat('c', 512),
     Repeat('c', 512)},
    {"NegativeUsedLengthContributesNothing",
     [](DbxWriter& w) {
         const std::int32_t first = w.AddBlock("xyz", -5, w.Size() + 528);
         w.AddBlock("end", 3, 0);
         return first;
     },
     "end", "end"},
    {"NulStaysInStoredTextAndBecomesBlankWhenRecovered",
     [](DbxWriter& w) { return w.AddBlock(std::string("a\0b", 3), 3, 0); }, std::string("a\0b", 3),
     "a b"},
    {"SecondBlockMismatchKeepsTheFirst",
     [](DbxWriter& w) {
         const std::int32_t first = w.AddBlock("one", 3, w.Size() + 528);
         const std::int32_t second = w.AddBlock("two", 3, 0);
         w.PutU32(second, 12345);
         return first;
     },
     "one", "one"},
    {"BlockNamingItselfEndsThere",
     [](DbxWriter& w) {
         const std::int32_t first = w.AddBlock("loop", 4, 0);
         w.PutU32(first + 12, first);
         return first;
     },
     "loop", "loop"},
    {"ChainReturningToAnEarlierBlockEndsThere",
     [](DbxWriter& w) {
         const std::int32_t first = w.AddBlock("A", 1, w.Size() + 528);
         const std::int32_t second = w.AddBlock("B", 1, 0);
         w.PutU32(second + 12, first);
         return first;
     },
     "AB", "AB"},
    {"NextBlockOutsideTheFileEndsTheChain",
     [](DbxWriter& w) { return w.AddBlock("only", 4, 0x7FFFFFF0); }, "only", "only"},
    {"FirstBlockMismatchGivesNothing",
     [](DbxWriter& w) {
         const std::int32_t first = w.AddBlock("text", 4, 0);
         w.PutU32(first, first + 1);
         return first;
     },
     "", ""},
    {"BlockCutByTheEndOfTheFileGivesWhatTheFileHolds",
     [](DbxWriter& w) {
         const std::int32_t first = w.AddBlock("abcdefgh", 8, 0);
         w.Bytes().resize(static_cast<std::size_t>(first) + 16 + 5);
         return first;
     },
     "abcde", "abcde"},
};

class MessageTextTest : public ::testing::TestWithParam<ChainCase> {};

TEST_P(MessageTextTest, ReadsTheChainAsTheRulesSay) {
    testing::TempDir dir;
    DbxWriter w;
    w.SetItemCount(1);
    const std::int32_t offset = GetParam().Build(w);
    const std::string path = dir.Write("Inbox.dbx", w.Bytes());
    ReaderState reader;
    std::ostringstream stored;
    std::ostringstream recovered;
    ReadMessageText(reader, path, offset, stored);
    ReadRecoveredText(reader, path, offset, recovered);
    EXPECT_EQ(stored.str(), GetParam().Stored);
    EXPECT_EQ(recovered.str(), GetParam().Recovered);
    EXPECT_FALSE(reader.OpenFile.has_value());
}

INSTANTIATE_TEST_SUITE_P(Chains, MessageTextTest, ::testing::ValuesIn(kChains),
                         [](const auto& param) { return std::string(param.param.Name); });

TEST(MessageTextGate, ItemCountZeroStopsOnlyTheStoredReader) {
    testing::TempDir dir;
    for (const std::int32_t count : {0, -3}) {
        DbxWriter w;
        w.SetItemCount(count);
        const std::int32_t offset = w.AddText("Subject: hi\r\n");
        const std::string path = dir.Write("Inbox.dbx", w.Bytes());
        ReaderState reader;
        std::ostringstream stored;
        std::ostringstream recovered;
        ReadMessageText(reader, path, offset, stored);
        ReadRecoveredText(reader, path, offset, recovered);
        EXPECT_EQ(stored.str(), "") << count;
        EXPECT_EQ(recovered.str(), "Subject: hi\r\n") << count;
    }
}

TEST(MessageTextGate, OffsetZeroOrBelowOpensNothing) {
    ReaderState reader;
    std::ostringstream out;
    for (const std::int32_t offset : {0, -1}) {
        EXPECT_NO_THROW(ReadMessageText(reader, "/nonexistent/x.dbx", offset, out));
        EXPECT_NO_THROW(ReadRecoveredText(reader, "/nonexistent/x.dbx", offset, out));
    }
    EXPECT_EQ(out.str(), "");
}

TEST(MessageTextGate, MissingFileOrDirectoryRaisesCannotOpen) {
    testing::TempDir dir;
    // A directory opens for reading on some systems; it must fail as a missing file does.
    for (const std::string& path : {std::string("/nonexistent/x.dbx"), dir.File("")}) {
        ReaderState reader;
        std::ostringstream out;
        for (const bool recovered : {false, true}) {
            try {
                if (recovered) {
                    ReadRecoveredText(reader, path, 600, out);
                } else {
                    ReadMessageText(reader, path, 600, out);
                }
                ADD_FAILURE() << "no error for " << path;
            } catch (const platform::PlatformError& error) {
                EXPECT_EQ(std::string(error.what()), "Cannot open file " + path);
            }
            EXPECT_FALSE(reader.OpenFile.has_value());
        }
        EXPECT_EQ(out.str(), "");
    }
}

}  // namespace
}  // namespace dorvane
