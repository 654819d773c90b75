#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <numeric>
#include <random>

#include "dbx_writer.h"
#include "mail_store_builder.h"
#include "platform/platform_error.h"
#include "store/offset_table.h"
#include "store/store_paths.h"
#include "store/uoexpress.h"
#include "temp_dir.h"

namespace dorvane {
namespace {

using fixture::DbxWriter;
using fixture::Entry;
using fixture::Property;

class IndexReaderTest : public ::testing::Test {
  protected:
    // Every case also walks the index record by record, which must give the same records
    // in the same order.
    MessageList ReadMessages(const DbxWriter& w, const std::string& name = "Inbox.dbx") {
        const std::string path = dir_.Write(name, w.Bytes());
        MessageList messages;
        ReadDbxIndex(reader_, path, nullptr, &messages);
        std::vector<Toe5_MessageInfo> streamed;
        ForEachIndexRecord(reader_, path, nullptr,
                           [&](const Toe5_MessageInfo& m) { streamed.push_back(m); });
        ExpectSameRecords(streamed, messages);
        return messages;
    }
    FolderList ReadFolders(const DbxWriter& w) {
        const std::string path = dir_.Write("folders.dbx", w.Bytes());
        FolderList folders;
        ReadDbxIndex(reader_, path, &folders, nullptr);
        std::vector<Toe5_FolderInfo> streamed;
        ForEachIndexRecord(
            reader_, path, [&](const Toe5_FolderInfo& f) { streamed.push_back(f); }, nullptr);
        ExpectSameRecords(streamed, folders);
        return folders;
    }
    template <typename Record>
    static void ExpectSameRecords(const std::vector<Record>& streamed,
                                  const std::vector<std::shared_ptr<const Record>>& listed) {
        ASSERT_EQ(streamed.size(), listed.size());
        for (std::size_t i = 0; i < listed.size(); ++i) EXPECT_EQ(streamed[i], *listed[i]) << i;
    }
    // A message record whose only property is a subject naming it.
    static std::int32_t Named(DbxWriter& w, const std::string& name) {
        return w.AddRecord({Property::Text(0x08, name)});
    }
    static std::vector<std::string> Subjects(const MessageList& messages) {
        std::vector<std::string> subjects;
        for (const auto& message : messages) subjects.push_back(message->Subject);
        return subjects;
    }

    testing::TempDir dir_;
    ReaderState reader_;
};

TEST_F(IndexReaderTest, DecodesEveryMessagePropertyInTableOrder) {
    DbxWriter w;
    const std::int32_t record = w.AddRecord({
        Property::Value(0x80, 0x123), Property::Number24(0x01, 0x030201),
        Property::Time(0x02, 0x0102030405060708ULL), Property::Number32(0x04, 0x11223344),
        Property::Text(0x07, "<id@example.org>"), Property::Text(0x08, "Subject"),
        Property::Text(0x09, "nine"), Property::Text(0x0A, "ten"), Property::Text(0x0B, "eleven"),
        Property::Text(0x0D, "Bob"), Property::Text(0x0E, "Ann"),
        Property::Time(0x12, 0x01C3D3F1A2B3C4D5ULL), Property::Text(0x13, "Al"),
        Property::Text(0x1A, "1a"), Property::Text(0x1B, "1b"),
        Property::Value(0x11, 999),                                  // not the size
        Property::Value(0x91, 4242), Property::Value(0x84, 0x5000),  // later than 0x04: wins
    });
    // A record with none of them after it: nothing of the first may stay in it.
    const std::int32_t bare = w.AddRecord({Property::Value(0x70, 0)});
    w.SetMessageRoot(w.AddNode({{record, 0}, {bare, 0}}));
    w.SetItemCount(2);

    const MessageList messages = ReadMessages(w);
    ASSERT_EQ(messages.size(), 2u);
    Toe5_MessageInfo bareRecord;
    bareRecord.RecordOffset = bare;
    EXPECT_EQ(*messages[1], bareRecord);
    Toe5_MessageInfo expected;
    expected.Value80 = 0x123;
    expected.Value01 = 0x030201;
    expected.Time02 = FileTime::FromTicks(0x0102030405060708ULL);
    expected.DataOffset = 0x5000;
    expected.Text07 = "<id@example.org>";
    expected.Subject = "Subject";
    expected.Text09 = "nine";
    expected.Text0A = "ten";
    expected.Text0B = "eleven";
    expected.FromName = "Bob";
    expected.ReplyTo = "Ann";
    expected.ReceivedTime = FileTime::FromTicks(0x01C3D3F1A2B3C4D5ULL);
    expected.ToName = "Al";
    expected.Text1A = "1a";
    expected.Text1B = "1b";
    expected.MsgSize = 4242;
    expected.RecordOffset = record;
    EXPECT_EQ(*messages[0], expected);
}

TEST_F(IndexReaderTest, EntryBytesSplitIntoIdAndNumber) {
    // 80 23 01 00: id 0x80, direct 0x123. 08 10 00 00: id 0x08, text 16 bytes in.
    DbxWriter w;
    const std::int32_t record =
        w.AddRecord({Property::Raw(0x81, ""), Property::At(0x08, 16),
                     Property::Raw(0x07, std::string(16, 'x') + "hello" + '\0'),
                     Property::Raw(0x09, "no end")});
    w.PutU32(record + 12, 0x00012380);
    w.SetMessageRoot(w.AddNode({{record, 0}}));
    w.SetItemCount(1);
    const MessageList messages = ReadMessages(w);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0]->Value80, 0x123);
    EXPECT_EQ(messages[0]->Subject, "hello");
    EXPECT_EQ(messages[0]->Text07, std::string(16, 'x') + "hello");
    EXPECT_EQ(messages[0]->Text09, "");  // runs off the data area without a NUL
}

TEST_F(IndexReaderTest, ZeroEntryCountMeansEighteenInMessageRecords) {
    DbxWriter w;
    std::vector<Property> properties(17, Property::Value(0x70, 0));
    properties.push_back(Property::Text(0x08, "eighteenth"));
    const std::int32_t record = w.AddRecord(properties, {.StoredCount = 0, .BodyLength = {}});
    w.SetMessageRoot(w.AddNode({{record, 0}}));
    w.SetItemCount(1);
    const MessageList messages = ReadMessages(w);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0]->Subject, "eighteenth");
}

TEST_F(IndexReaderTest, WalksFirstLinkThenSecondThenEntriesWithTheirChildren) {
    DbxWriter w;
    const std::int32_t a = w.AddNode({{Named(w, "first link"), 0}});
    const std::int32_t b = w.AddNode({{Named(w, "second link"), 0}});
    const std::int32_t child = w.AddNode({{Named(w, "child of entry 1"), 0}});
    const std::int32_t r1 = Named(w, "entry 1");
    const std::int32_t r2 = Named(w, "entry 2");
    w.SetMessageRoot(w.AddNode({{r1, child}, {r2, 0}}, /*first=*/a, /*second=*/b));
    w.SetItemCount(5);
    EXPECT_EQ(Subjects(ReadMessages(w)),
              (std::vector<std::string>{"first link", "second link", "entry 1", "child of entry 1",
                                        "entry 2"}));
}

TEST_F(IndexReaderTest, NodeReachedThroughFirstLinkIsNotWalkedAgain) {
    // Root's first link reaches A, whose own first link reaches B; root's second link is B
    // too, and by then B has been visited.
    DbxWriter w;
    const std::int32_t b = w.AddNode({{Named(w, "B"), 0}});
    const std::int32_t a = w.AddNode({{Named(w, "A"), 0}}, b);
    w.SetMessageRoot(w.AddNode({{Named(w, "root"), b}}, a, b));
    w.SetItemCount(-1);  // a negative count still opens the gate
    EXPECT_EQ(Subjects(ReadMessages(w)), (std::vector<std::string>{"B", "A", "root"}));
}

TEST_F(IndexReaderTest, CyclesAreWalkedOnce) {
    DbxWriter w;
    const std::int32_t selfRecord = Named(w, "self");
    const std::int32_t self = w.AddNode({{selfRecord, 0}});
    w.SetNodeLinks(self, self, self);
    const std::int32_t x = w.AddNode({{Named(w, "x"), 0}});
    const std::int32_t y = w.AddNode({{Named(w, "y"), x}}, x);
    w.SetNodeLinks(x, y, 0);
    const std::int32_t root = w.AddNode({{Named(w, "root"), self}, {0, y}});
    w.SetNodeEntry(self, 0, {selfRecord, root});  // a child that is an ancestor
    w.SetMessageRoot(root);
    w.SetItemCount(3);
    EXPECT_EQ(Subjects(ReadMessages(w)), (std::vector<std::string>{"root", "self", "x", "y"}));
}

TEST_F(IndexReaderTest, ItemCountZeroGivesNothing) {
    DbxWriter w;
    w.SetMessageRoot(w.AddNode({{Named(w, "hidden"), 0}}));
    w.SetItemCount(0);
    EXPECT_TRUE(ReadMessages(w).empty());
}

TEST_F(IndexReaderTest, RecordNamedTwiceIsAppendedTwiceAndShared) {
    DbxWriter w;
    const std::int32_t record = Named(w, "twice");
    w.SetMessageRoot(w.AddNode({{record, 0}, {record, 0}}));
    w.SetItemCount(2);
    const MessageList messages = ReadMessages(w);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].get(), messages[1].get());
}

TEST_F(IndexReaderTest, LargeIndexKeepsTheWalkOrderSharingAndGaps) {
    // Enough records for the reader to make them on several threads at once: the list must
    // still follow the walk, share a record named twice and leave out what is no record.
    constexpr int kRecords = 70'000;
    struct Case {
        const char* Name;
        bool Shuffled;  // the index names the records out of the file's order
        bool Repeats;   // and names some of them twice
    };
    for (const Case c : {Case{"file order", false, false}, Case{"shuffled, repeats", true, true}}) {
        SCOPED_TRACE(c.Name);
        DbxWriter w;
        std::vector<std::int32_t> records;
        for (int i = 0; i < kRecords; ++i) records.push_back(Named(w, "m" + std::to_string(i)));
        std::vector<int> order(kRecords);
        std::iota(order.begin(), order.end(), 0);
        if (c.Shuffled) std::shuffle(order.begin(), order.end(), std::mt19937(11));
        std::vector<Entry> entries;
        std::size_t named = 0;
        for (const int i : order) {
            entries.push_back({records[i], 0});
            ++named;
            if (c.Repeats && i % 1000 == 0) {
                entries.push_back({records[i], 0});
                ++named;
            }
            if (i % 997 == 0) entries.push_back({records[i] + 4, 0});  // inside a record
        }
        w.SetMessageRoot(w.AddNode(entries));
        w.SetItemCount(kRecords);

        const MessageList messages = ReadMessages(w);
        ASSERT_EQ(messages.size(), named);
        EXPECT_EQ(messages.front()->Subject, "m" + std::to_string(order.front()));
        std::map<std::string, const Toe5_MessageInfo*> bySubject;
        for (const auto& message : messages) {
            const auto [known, added] = bySubject.emplace(message->Subject, message.get());
            EXPECT_EQ(known->second, message.get()) << message->Subject;
        }
        EXPECT_EQ(bySubject.size(), static_cast<std::size_t>(kRecords));
    }
}

TEST_F(IndexReaderTest, OverlappingNodesListWhatTheirEntriesName) {
    // Each node claims entries up to the end of the file, so every node's entries run over
    // the nodes after it: the walk names far more entries than the file has room for.
    DbxWriter w;
    const std::int32_t first = Named(w, "first");
    const std::int32_t second = Named(w, "second");
    std::int32_t next = 0;
    for (int i = 0; i < 8; ++i) {
        next = w.AddNode({{first, 0}, {second, 0}, {first, 0}}, next);
        w.SetNodeEntryCount(next, 0xFFFFFF);
    }
    w.SetMessageRoot(next);
    w.SetItemCount(3);
    const MessageList messages = ReadMessages(w);
    EXPECT_GT(messages.size(), 8u * 3u);
}

TEST_F(IndexReaderTest, AppendsAfterWhatTheListHolds) {
    DbxWriter w;
    w.SetMessageRoot(w.AddNode({{Named(w, "new"), 0}}));
    w.SetItemCount(1);
    MessageList messages{std::make_shared<const Toe5_MessageInfo>()};
    ReadDbxIndex(reader_, dir_.Write("Inbox.dbx", w.Bytes()), nullptr, &messages);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1]->Subject, "new");
}

TEST_F(IndexReaderTest, NoListMeansNoFileOpened) {
    const std::string missing = dir_.File("missing.dbx");
    FolderList folders;
    EXPECT_NO_THROW(ReadDbxIndex(reader_, missing, &folders, nullptr));
    EXPECT_NO_THROW(ReadDbxIndex(reader_, dir_.File("folders.dbx"), nullptr, nullptr));
}

TEST_F(IndexReaderTest, MissingFileRaisesCannotOpenWithThePath) {
    MessageList messages;
    const std::string missing = dir_.File("missing.dbx");
    try {
        ReadDbxIndex(reader_, missing, nullptr, &messages);
        FAIL() << "no error";
    } catch (const platform::PlatformError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot open file " + missing);
    }
    EXPECT_FALSE(reader_.OpenFile.has_value());
}

TEST_F(IndexReaderTest, ChainOfAMillionNodesDoesNotExhaustTheStack) {
    constexpr int kNodes = 1'000'000;
    DbxWriter w;
    const std::int32_t record = Named(w, "deep");
    w.Bytes().reserve(w.Bytes().size() + kNodes * 36);
    std::int32_t next = 0;
    for (int i = 0; i < kNodes; ++i) next = w.AddNode({{record, 0}}, next);
    w.SetMessageRoot(next);
    w.SetItemCount(1);
    EXPECT_EQ(ReadMessages(w).size(), static_cast<std::size_t>(kNodes));
}

TEST_F(IndexReaderTest, CatalogueRulesAdmitFoldersBy03Or06) {
    DbxWriter w;
    const std::int32_t full =
        w.AddRecord({Property::Value(0x80, 7), Property::Value(0x81, 1),
                     Property::Text(0x02, "Inbox"), Property::Text(0x03, "Inbox.dbx")});
    const std::int32_t grouping =
        w.AddRecord({Property::Text(0x02, "Group"), Property::Value(0x06, 0)});
    const std::int32_t nameOnly = w.AddRecord({Property::Text(0x02, "not a folder")});
    const std::int32_t zeroCount =
        w.AddRecord({Property::Text(0x03, "x.dbx")}, {.StoredCount = 0, .BodyLength = {}});
    w.SetCatalogueRoot(
        w.AddNode({{full, 0}, {grouping, 0}, {nameOnly, 0}, {zeroCount, 0}, {full, 0}}));
    w.SetItemCount(4);

    const FolderList folders = ReadFolders(w);
    ASSERT_EQ(folders.size(), 3u);
    EXPECT_EQ(*folders[0], (Toe5_FolderInfo{"Inbox", 7, 1, "Inbox.dbx"}));
    EXPECT_EQ(*folders[1], (Toe5_FolderInfo{"Group", 0, 0, ""}));
    EXPECT_EQ(*folders[2], *folders[0]);
}

TEST_F(IndexReaderTest, OnlyTheExactNameFoldersDbxIsACatalogue) {
    DbxWriter w;
    const std::int32_t record =
        w.AddRecord({Property::Text(0x03, "a.dbx"), Property::Text(0x08, "msg")});
    const std::int32_t node = w.AddNode({{record, 0}});
    w.SetCatalogueRoot(node);
    w.SetMessageRoot(node);
    w.SetItemCount(1);
    FolderList folders;
    MessageList messages;
    ReadDbxIndex(reader_, dir_.Write("Folders.dbx", w.Bytes()), &folders, &messages);
    EXPECT_TRUE(folders.empty());
    EXPECT_EQ(messages.size(), 1u);
    const std::string store = std::string("store") + kPathDelimiter;
    EXPECT_TRUE(IsCatalogueFile(store + "folders.dbx"));
    EXPECT_FALSE(IsCatalogueFile(store + "folders.dbx.bak"));
}

TEST(DemoStore, ListsItsFoldersAndMessages) {
    const std::string store = std::string(DORVANE_DEMO_STORE_DIR) + kPathDelimiter;
    ReaderState reader;
    FolderList folders;
    ReadDbxIndex(reader, store + "folders.dbx", &folders, nullptr);
    ASSERT_GE(folders.size(), 10u);
    EXPECT_EQ(folders[0]->FolderName, "Outlook Express");
    for (const auto& folder : folders) {
        if (folder->FileName.empty()) continue;
        MessageList messages;
        ReadDbxIndex(reader, store + folder->FileName, nullptr, &messages);
        if (folder->FileName == "Damaged Inbox.dbx") {
            EXPECT_TRUE(messages.empty());
        } else {
            EXPECT_FALSE(messages.empty()) << folder->FileName;
        }
    }
}

// The walk's table of records read so far, fed in the orders a file can name its records:
// it must answer as a map does, also across the point where it gives up on rising order.
TEST(OffsetTable, AnswersAsAMapWhateverTheOrder) {
    constexpr int kCount = 20000;
    std::vector<std::int32_t> rising(kCount);
    std::iota(rising.begin(), rising.end(), 1);
    std::mt19937 random(7);
    auto shuffled = rising;
    std::shuffle(shuffled.begin(), shuffled.end(), random);
    // Mostly rising, with every nth offset moved far back (n = 5 makes enough of them to
    // give up on the order; n = 50 does not).
    const auto sprinkled = [&](int n) {
        std::vector<std::int32_t> order;
        for (const std::int32_t offset : rising) order.push_back(offset % n ? offset * 2 : offset);
        return order;
    };
    auto falling = rising;
    std::reverse(falling.begin(), falling.end());
    const std::vector<std::vector<std::int32_t>> orders = {rising, falling, shuffled, sprinkled(5),
                                                           sprinkled(50)};
    for (std::size_t o = 0; o < orders.size(); ++o) {
        SCOPED_TRACE(o);
        OffsetTable table;
        std::map<std::int32_t, std::uint32_t> expected;
        // Each offset twice: the second time it must be found with its first value.
        for (int pass = 0; pass < 2; ++pass) {
            for (const std::int32_t offset : orders[o]) {
                const auto known = expected.find(offset);
                const auto found = table.Find(offset);
                if (known == expected.end()) {
                    ASSERT_FALSE(found) << offset;
                    const auto value = static_cast<std::uint32_t>(expected.size());
                    table.Insert(offset, value);
                    expected.emplace(offset, value);
                } else {
                    ASSERT_EQ(found, known->second) << offset;
                }
            }
        }
        EXPECT_FALSE(table.Find(0));
        EXPECT_FALSE(table.Find(3 * kCount + 1));
    }
}

}  // namespace
}  // namespace dorvane
