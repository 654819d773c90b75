// Damaged files are this program's normal input. Each case damages a small, valid folder
// file in one way and states which records must still come out; every case must end
// normally, without reading outside the file.

#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "dbx_writer.h"
#include "mail_store_builder.h"
#include "recovery/recovery_scan.h"
#include "store/uoexpress.h"
#include "temp_dir.h"

namespace dorvane {
namespace {

using fixture::DbxWriter;
using fixture::Property;

// Three messages: the root node holds the first, its child node the other two.
struct SmallFolder {
    DbxWriter W;
    std::vector<fixture::BuiltMessage> Messages;
    std::int32_t Root = 0;
    std::int32_t Child = 0;

    SmallFolder() {
        for (const char* subject : {"one", "two", "three"}) {
            fixture::MessageSpec message;
            message.Subject = subject;
            message.From = "a@example.org";
            message.Text = std::string("Subject: ") + subject + "\r\n\r\nbody\r\n";
            Messages.push_back(fixture::AddMessage(W, message));
        }
        Child = W.AddNode({{Messages[1].Record, 0}, {Messages[2].Record, 0}});
        Root = W.AddNode({{Messages[0].Record, Child}});
        W.SetMessageRoot(Root);
        W.SetItemCount(3);
    }
};

std::vector<std::string> ListSubjects(const std::string& path) {
    ReaderState reader;
    MessageList messages;
    ReadDbxIndex(reader, path, nullptr, &messages);
    // Walked record by record, the index gives the same records.
    std::vector<Toe5_MessageInfo> streamed;
    ForEachIndexRecord(reader, path, nullptr,
                       [&](const Toe5_MessageInfo& m) { streamed.push_back(m); });
    EXPECT_EQ(streamed.size(), messages.size());
    for (std::size_t i = 0; i < std::min(streamed.size(), messages.size()); ++i)
        EXPECT_EQ(streamed[i], *messages[i]) << i;
    std::vector<std::string> subjects;
    for (const auto& message : messages) {
        subjects.push_back(message->Subject);
        // Reading the text of whatever was listed must end normally too.
        std::ostringstream text;
        ReadMessageText(reader, path, message->DataOffset, text);
        ReadRecoveredText(reader, path, message->DataOffset, text);
    }
    // And so must the scan for salvageable text.
    MessageList salvaged;
    ScanObserver silent;
    ScanForMessages(reader, path, 80, salvaged, silent);
    return subjects;
}

struct DamageCase {
    const char* Name;
    std::function<void(SmallFolder&)> Damage;
    std::vector<std::string> Subjects;
    friend void PrintTo(const DamageCase& c, std::ostream* os) { *os << c.Name; }
};

using Subjects = std::vector<std::string>;

const DamageCase kDamage[] = {
    {"Intact", [](SmallFolder&) {}, Subjects{"one", "two", "three"}},
    {"RootSelfOffsetOffByOne", [](SmallFolder& f) { f.W.PutU32(f.Root, f.Root + 1); }, Subjects{}},
    {"ChildSelfOffsetBroken", [](SmallFolder& f) { f.W.PutU32(f.Child, 0); }, Subjects{"one"}},
    {"RecordSelfOffsetBroken",
     [](SmallFolder& f) { f.W.PutU32(f.Messages[1].Record, f.Messages[1].Record - 1); },
     Subjects{"one", "three"}},
    {"HugeEntryCountInASmallFile",
     [](SmallFolder& f) { f.W.SetNodeEntryCount(f.Child, 16'777'215); },
     // The entries after the two real ones are the root node's bytes: its self-offset
     // passes for a record with no properties, and its first entry names "one" again.
     Subjects{"one", "two", "three", "", "one"}},
    {"NegativeBodyLength",
     [](SmallFolder& f) { f.W.PutU32(f.Messages[0].Record + 4, 0x80000000u); },
     Subjects{"", "two", "three"}},
    {"BodyLengthSmallerThanTable", [](SmallFolder& f) { f.W.PutU32(f.Messages[0].Record + 4, 8); },
     Subjects{"", "two", "three"}},
    {"NegativeOffsetsInEntriesAndLinks",
     [](SmallFolder& f) {
         f.W.SetNodeEntry(f.Child, 0, {-5, -7});
         f.W.SetNodeLinks(f.Root, -1, static_cast<std::int32_t>(0x80000000u));
     },
     Subjects{"one", "three"}},
    {"RootOffsetPastTheEnd", [](SmallFolder& f) { f.W.SetMessageRoot(0x7FFFFFFF); }, Subjects{}},
    // Index cycles: a node that leads back to itself, to its parent, or round a ring.
    {"NodeCycleOfOne", [](SmallFolder& f) { f.W.SetNodeLinks(f.Child, f.Child, f.Child); },
     Subjects{"one", "two", "three"}},
    {"NodeCycleOfTwo",
     [](SmallFolder& f) {
         f.W.SetNodeLinks(f.Child, f.Root, 0);
         f.W.SetNodeEntry(f.Child, 1, {f.Messages[2].Record, f.Root});
     },
     Subjects{"one", "two", "three"}},
    {"NodeCycleOfMany",
     [](SmallFolder& f) {
         // A ring of 50 empty nodes hung under the child, the last leading to the first.
         std::int32_t first = 0, previous = 0;
         for (int i = 0; i < 50; ++i) {
             const std::int32_t node = f.W.AddNode({});
             if (previous != 0) f.W.SetNodeLinks(previous, node, 0);
             if (first == 0) first = node;
             previous = node;
         }
         f.W.SetNodeLinks(previous, first, f.Root);
         f.W.SetNodeLinks(f.Child, first, 0);
     },
     Subjects{"one", "two", "three"}},
    {"RecordAtTheLastBytesOfTheFile",
     [](SmallFolder& f) {
         const std::int32_t last = f.W.AddRecord({Property::Text(0x08, "last")});
         f.W.SetNodeEntry(f.Child, 1, {last, 0});
     },
     Subjects{"one", "two", "last"}},
    {"DataOffsetsPointAnywhere",
     [](SmallFolder& f) {
         // The record's first data value is its DataOffset.
         f.W.PutU32(f.Messages[0].Record + 12 + 4 * 6, 0x7FFFFFFF);
         f.W.PutU32(f.Messages[1].Record + 12 + 4 * 6, 3);
     },
     Subjects{"one", "two", "three"}},
};

class DamagedFileTest : public ::testing::TestWithParam<DamageCase> {};

TEST_P(DamagedFileTest, ListsWhatIsStillReachable) {
    testing::TempDir dir;
    SmallFolder folder;
    GetParam().Damage(folder);
    EXPECT_EQ(ListSubjects(dir.Write("Inbox.dbx", folder.W.Bytes())), GetParam().Subjects);
}

INSTANTIATE_TEST_SUITE_P(Cases, DamagedFileTest, ::testing::ValuesIn(kDamage),
                         [](const auto& param) { return std::string(param.param.Name); });

TEST(DamagedFile, EveryTruncationEndsNormallyWithAPrefixOfTheRecords) {
    testing::TempDir dir;
    SmallFolder folder;
    const auto& bytes = folder.W.Bytes();
    const std::string path = dir.File("Inbox.dbx");
    const Subjects all{"one", "two", "three"};
    for (std::size_t length = 0; length <= bytes.size(); ++length) {
        dir.Write("Inbox.dbx", std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + length));
        const Subjects got = ListSubjects(path);
        // The index sits at the end: a cut anywhere in it loses it; a whole file keeps all.
        EXPECT_EQ(got, length == bytes.size() ? all : Subjects{}) << length;
    }
}

TEST(DamagedFile, SingleBitFlipsAcrossTheFileEndNormally) {
    testing::TempDir dir;
    SmallFolder folder;
    const std::vector<std::uint8_t> intact = folder.W.Bytes();
    const std::string path = dir.File("Inbox.dbx");
    // One flip in every byte, the bit turning with the byte's position, so that every
    // field and every bit position of a word meets one.
    for (std::size_t at = 0; at < intact.size(); ++at) {
        const std::size_t bit = at * 8 + at % 8;
        std::vector<std::uint8_t> bytes = intact;
        bytes[bit / 8] ^= static_cast<std::uint8_t>(1U << (bit % 8));
        dir.Write("Inbox.dbx", bytes);
        // However the flip lands, the listing ends and names no more records than the
        // file has room for.
        EXPECT_LE(ListSubjects(path).size(), bytes.size() / 12) << bit;
    }
}

TEST(DamagedFile, BlockCyclesEndTheText) {
    testing::TempDir dir;
    // Three blocks of text; the chain is bent back at the last block to the last, the
    // middle or the first one.
    const std::string text = std::string(512, 'a') + std::string(512, 'b') + "tail";
    for (const int backTo : {2, 1, 0}) {
        DbxWriter w;
        const std::int32_t first = w.AddText(text);
        const std::int32_t last = first + 2 * 528;
        w.PutU32(last + 12, static_cast<std::uint32_t>(first + backTo * 528));
        w.SetItemCount(1);
        const std::string path = dir.Write("Inbox.dbx", w.Bytes());
        ReaderState reader;
        std::ostringstream listed, salvaged;
        ReadMessageText(reader, path, first, listed);
        ReadRecoveredText(reader, path, first, salvaged);
        EXPECT_EQ(listed.str(), text) << backTo;
        EXPECT_EQ(salvaged.str(), text) << backTo;
    }
}

TEST(DamagedFile, OverlappingBlocksCannotMultiplyTheText) {
    testing::TempDir dir;
    // Every 16 bytes a block header that names itself and the next one, so each block's
    // data area holds the headers of the blocks after it: taken whole, a chain of 4,000
    // such blocks would give 2 MB of text from a 64 KB file. A file too small for even
    // a hundred real blocks must hold to its own bound too.
    for (const std::uint32_t blocks : {40u, 4000u}) {
        DbxWriter w;
        w.SetItemCount(1);
        constexpr std::uint32_t kFirst = 0x400;
        w.Bytes().resize(kFirst + blocks * 16 + 528, 'x');
        for (std::uint32_t i = 0; i < blocks; ++i) {
            const std::uint32_t at = kFirst + i * 16;
            w.PutU32(at, at);
            w.PutU32(at + 8, 512);
            w.PutU32(at + 12, i + 1 < blocks ? at + 16 : 0);
        }
        const std::string path = dir.Write("Inbox.dbx", w.Bytes());
        ReaderState reader;
        std::ostringstream listed, salvaged;
        ReadMessageText(reader, path, kFirst, listed);
        ReadRecoveredText(reader, path, kFirst, salvaged);
        // Exactly as many blocks as a file of this size holds side by side.
        const std::size_t bound = (w.Bytes().size() / 528 + 1) * 512;
        EXPECT_EQ(listed.str().size(), bound) << blocks;
        EXPECT_EQ(salvaged.str().size(), bound) << blocks;
    }
}

TEST(DamagedFile, AMillionNodesInOneChain) {
    // Each node's first link leads to the next; the record sits in the deepest one. A
    // recursive walk would run out of stack long before.
    DbxWriter w;
    const std::int32_t record = w.AddRecord({Property::Text(0x08, "deep")});
    std::int32_t next = w.AddNode({{record, 0}});
    for (int i = 1; i < 1'000'000; ++i) next = w.AddNode({}, next);
    w.SetMessageRoot(next);
    w.SetItemCount(1);
    testing::TempDir dir;
    const std::string path = dir.Write("Inbox.dbx", w.Bytes());
    ReaderState reader;
    MessageList messages;
    ReadDbxIndex(reader, path, nullptr, &messages);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0]->Subject, "deep");
}

TEST(DamagedFile, NotADbxFileAtAll) {
    testing::TempDir dir;
    for (const std::uint8_t fill : {std::uint8_t{0x00}, std::uint8_t{0xFF}, std::uint8_t{'D'}}) {
        EXPECT_TRUE(
            ListSubjects(dir.Write("x.dbx", std::vector<std::uint8_t>(5000, fill))).empty());
    }
    EXPECT_TRUE(ListSubjects(dir.Write("empty.dbx", {})).empty());
}

}  // namespace
}  // namespace dorvane
