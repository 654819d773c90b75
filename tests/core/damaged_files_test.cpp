// Damaged files are this program's normal input. Each case damages a small, valid folder
// file in one way and states which records must still come out; every case must end
// normally, without reading outside the file.

#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "dbx_writer.h"
#include "mail_store_builder.h"
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
    std::vector<std::string> subjects;
    for (const auto& message : messages) {
        subjects.push_back(message->Subject);
        // Reading the text of whatever was listed must end normally too.
        std::ostringstream text;
        ReadMessageText(reader, path, message->DataOffset, text);
        ReadRecoveredText(reader, path, message->DataOffset, text);
    }
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
