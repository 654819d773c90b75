#include <gtest/gtest.h>

#include "recovery/header_salvage.h"
#include "recovery/mail_date.h"

namespace dorvane {
namespace {

const std::string kHeaders =
    "From: Bob\r\nReply-To: Ann\r\nTo: Al\r\nSubject: Hello\r\n"
    "Date: Tue, 6 Jan 2004 14:05:00 +0100\r\n\r\nbody\r\n";

struct SalvageCase {
    const char* Name;
    std::string Window;
    std::string From, ReplyTo, To, Subject;
    std::uint64_t Received;
};

const std::uint64_t kJan6 = MailDateToFileTime({2004, 1, 6, 14, 5, 0});

const SalvageCase kCases[] = {
    // "To:" first matches the tail of "Reply-To:".
    {"AllFourWithTheReplyToEffect", kHeaders, " Bob\r", " Ann\r", " Ann\r", " Hello\r", kJan6},
    {"ToFromDeliveredTo", "Delivered-To: x@y\r\nTo: Al\r\nSubject: s\r\n ", "", "", " x@y\r",
     " s\r", 0},
    {"InReplyToMatchesBoth", "In-Reply-To: <1@x>\r\nSubject: s\r\n ", "", " <1@x>\r", " <1@x>\r",
     " s\r", 0},
    {"EmptySubjectIsTheCarriageReturn", "Subject:\r\n ", "", "", "", "\r", 0},
    {"WindowEndsInsideTheSubject", "From: a\r\nSubject: cut off", " a\r", "", "", "Recovered", 0},
    {"LastCharacterNeverEndsAValue", "Subject: x\r", "", "", "", "Recovered", 0},
    {"NoSubjectLineAtAll", "From: a\r\n\r\n", " a\r", "", "", "", 0},
    {"DateWithoutBlankLosesItsFirstCharacter", "Date:Tue, 6 Jan 2004\r\n", "", "", "", "", 0},
    {"DateBefore1601", "Date: 6 Jan 1500 10:00:00\r\n", "", "", "", "", 0},
    {"ZeroBytesBecomeBlanks", std::string("Subject:\0Hi\r\n", 13), "", "", "", " Hi\r", 0},
    {"DateCutToThirtyTwoCharacters", "Date: 6 Jan 2004                         14:05:00\r\n", "",
     "", "", "", MailDateToFileTime({2004, 1, 6, 0, 0, 0})},
};

TEST(SalvageHeaders, CutsValuesAsTheRulesSay) {
    for (const SalvageCase& c : kCases) {
        const Toe5_MessageInfo record = SalvageFromWindow(c.Window, 1234, 99);
        EXPECT_EQ(record.FromName, c.From) << c.Name;
        EXPECT_EQ(record.ReplyTo, c.ReplyTo) << c.Name;
        EXPECT_EQ(record.ToName, c.To) << c.Name;
        EXPECT_EQ(record.Subject, c.Subject) << c.Name;
        EXPECT_EQ(record.ReceivedTime.Ticks(), c.Received) << c.Name;
        EXPECT_EQ(record.DataOffset, 1234) << c.Name;
        EXPECT_EQ(record.MsgSize, 99) << c.Name;
        EXPECT_EQ(record.RecordOffset, 0) << c.Name;
    }
}

}  // namespace
}  // namespace dorvane
