#include <gtest/gtest.h>

#include <sstream>

#include "../core/temp_dir.h"
#include "mail_store_builder.h"
#include "recovery/deleted_messages.h"

namespace dorvane {
namespace {

fixture::MessageSpec Mail(const std::string& subject) {
    fixture::MessageSpec m;
    m.From = "a@example.org";
    m.Subject = subject;
    m.Text = fixture::ComposeMessageText(m, "Tue, 6 Jan 2004 14:05:00 +0100",
                                         "Body of " + subject + ".\r\n" + std::string(300, 'x'));
    return m;
}

// Live messages, two deleted ones the index no longer names, and a deleted one whose
// second block a later message has overwritten.
TEST(FindDeletedMessages, ListsWhatTheScanFindsAndTheIndexDoesNot) {
    fixture::DbxWriter w(fixture::DbxWriter::kRealHeaderSize);
    std::vector<std::int32_t> live;
    std::vector<std::int32_t> deletedOffsets;
    const char* const kSubjects[] = {"live one",    "deleted one", "live two",
                                     "deleted two", "overwritten", "live three"};
    for (const char* subject : kSubjects) {
        const std::string name = subject;
        fixture::MessageSpec m = Mail(name);
        if (name == "overwritten") m.Text += std::string(600, 'y');  // two blocks
        const auto built = fixture::AddMessage(w, m);
        if (name.rfind("live", 0) == 0) {
            live.push_back(built.Record);
        } else {
            deletedOffsets.push_back(built.DataOffset);
        }
    }
    // The overwritten message's second block now holds other bytes: its header words are
    // those of no block, so its chain ends after the first.
    const std::int32_t overwritten = deletedOffsets.back();
    for (std::size_t i = 0; i < 16; ++i) w.Bytes()[overwritten + 0x210 + i] = 0x5A;
    w.SetMessageRoot(fixture::AddIndex(w, live, 8));
    w.SetItemCount(static_cast<std::int32_t>(live.size()));

    testing::TempDir dir;
    const std::string file = dir.Write("Deleted Items.dbx", w.Bytes());
    ReaderState reader;
    MessageList deleted;
    ScanObserver silent;
    FindDeletedMessages(reader, file, deleted, silent);

    ASSERT_EQ(deleted.size(), 3u);
    std::vector<std::int32_t> offsets;
    for (const auto& message : deleted) offsets.push_back(message->DataOffset);
    EXPECT_EQ(offsets, deletedOffsets);
    EXPECT_EQ(deleted[0]->Subject.rfind(" deleted one", 0), 0u);

    // What the file still holds of each can be read back.
    std::ostringstream text;
    ReadRecoveredText(reader, file, deleted[1]->DataOffset, text);
    EXPECT_NE(text.str().find("Body of deleted two."), std::string::npos);
    std::ostringstream partial;
    ReadRecoveredText(reader, file, overwritten, partial);
    EXPECT_NE(partial.str().find("Subject: overwritten"), std::string::npos);
}

TEST(FindDeletedMessages, NothingWhenEveryMessageIsListedAndAnErrorForAMissingFile) {
    testing::TempDir dir;
    const std::string file =
        dir.Write("Inbox.dbx", fixture::BuildMessageFile({Mail("a"), Mail("b")}).Bytes());
    ReaderState reader;
    MessageList deleted;
    ScanObserver silent;
    FindDeletedMessages(reader, file, deleted, silent);
    EXPECT_TRUE(deleted.empty());
    EXPECT_THROW(FindDeletedMessages(reader, dir.File("none.dbx"), deleted, silent),
                 std::exception);
}

}  // namespace
}  // namespace dorvane
