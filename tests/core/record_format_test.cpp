#include <gtest/gtest.h>

#include <sstream>

#include "store/record_format.h"

namespace dorvane {
namespace {

TEST(RecordFormat, JsonStringsMapEveryByteToTheCodePointOfItsValue) {
    std::string out;
    AppendJsonString(out, std::string("a\"b\\c\r\n\x01\x7F\x80\xE9\xFF", 12));
    EXPECT_EQ(out, "\"a\\\"b\\\\c\\u000d\\u000a\\u0001\x7F\xC2\x80\xC3\xA9\xC3\xBF\"");
}

TEST(RecordFormat, MessageJsonHasEveryFieldInRecordOrder) {
    Toe5_MessageInfo message;
    message.Value80 = -1;
    message.ReceivedTime = FileTime::FromTicks(0xFFFFFFFFFFFFFFFFULL);
    message.Subject = "Hi";
    message.DataOffset = 1234;
    std::ostringstream out;
    WriteJsonLine(out, message);
    EXPECT_EQ(out.str(),
              "{\"Value80\":-1,\"Value01\":0,\"Text1B\":\"\",\"Text1A\":\"\",\"Text07\":\"\","
              "\"Time02\":0,\"ReceivedTime\":18446744073709551615,\"Subject\":\"Hi\","
              "\"FromName\":\"\",\"Text09\":\"\",\"ToName\":\"\",\"ReplyTo\":\"\",\"Text0A\":\"\","
              "\"Text0B\":\"\",\"MsgSize\":0,\"DataOffset\":1234,\"RecordOffset\":0}\n");
}

TEST(RecordFormat, FolderJsonAndTable) {
    const Toe5_FolderInfo folder{"In\tbox", 7, 1, "Inbox.dbx"};
    std::ostringstream json;
    WriteJsonLine(json, folder);
    EXPECT_EQ(json.str(),
              "{\"FolderName\":\"In\\u0009box\",\"FolderId\":7,\"ParentId\":1,"
              "\"FileName\":\"Inbox.dbx\"}\n");
    std::ostringstream table;
    WriteTableRow(table, folder);
    EXPECT_EQ(table.str(), "7\t1\tIn box\tInbox.dbx\n");
}

}  // namespace
}  // namespace dorvane
