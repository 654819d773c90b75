#include <gtest/gtest.h>

#include "recovery/mail_date.h"

namespace dorvane {
namespace {

struct DateCase {
    const char* Text;
    std::optional<MailDateTime> Expected;
};

MailDateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return {y, mo, d, h, mi, s};
}

const DateCase kDates[] = {
    {"Tue, 6 Jan 2004 14:05:00 +0100", At(2004, 1, 6, 14, 5, 0)},
    {"6 Jan 2004 14:05:00 GMT", At(2004, 1, 6, 14, 5, 0)},
    {"Tuesday, 6 jan 04 14:05", At(2004, 1, 6, 14, 5, 0)},
    {"6 Jan 99", At(1999, 1, 6)},
    {"6 Jan", At(1900, 1, 6)},
    {"x Jan 2004", At(2004, 1, 1)},
    {"6 January 2004", std::nullopt},
    {"Tue,  6 Jan 2004", std::nullopt},
    {"Jan 6 2004", std::nullopt},
    {"32 Jan 2004", std::nullopt},
    {"29 Feb 2003", std::nullopt},
    {"29 Feb 2004", At(2004, 2, 29)},
    {"6 Jan 2004 24:00:00", std::nullopt},
    {"6 Jan 2004 23:60:00", std::nullopt},
    {"6 Jan 2004 +01:00", At(2004, 1, 6, 1, 0, 0)},
    {"6 Jan 2004\r\nSubject: x", At(1900, 1, 6)},
    {"", std::nullopt},
    {" \t\r\n\x01", std::nullopt},
    // Two-digit years: 0..79 are this century, 80..99 the last.
    {"1 Mar 79", At(2079, 3, 1)},
    {"1 Mar 80", At(1980, 3, 1)},
    {"1 Mar 100", At(100, 3, 1)},
    {"1 Mar 0", At(2000, 3, 1)},
    // Integers: signs and the hexadecimal forms.
    {"$A Jan 2004", At(2004, 1, 10)},
    {"0x1F Jan 2004", At(2004, 1, 31)},
    {"+6 Jan 2004", At(2004, 1, 6)},
    {"-6 Jan 2004", std::nullopt},
    {"6 Jan 0x7D4", At(2004, 1, 6)},
    // However long, digits make an integer: one too large for any field fails the date.
    {"6 Jan 99999999999", std::nullopt},
    {"99999999999 Jan 2004", std::nullopt},
    {"6 Jan 2004 99999999999:00", std::nullopt},
    {"6 Jan -$FFFFFFB1", std::nullopt},
    {"6 Jan 2004 00000000000000000014:05", At(2004, 1, 6, 14, 5, 0)},
    {"6 Jan 2004 14", At(2004, 1, 6)},  // no ":" anywhere: no time
    {"6 Jan 2004 14 +01:30", At(2004, 1, 6, 14, 0, 0)},
    {"6 Jan 2004 1:2:3:4", At(2004, 1, 6, 1, 2, 0)},  // the second "3:4" is no integer: 0
    {"  Sun, 1 Feb 1998 00:00:01  ", At(1998, 2, 1, 0, 0, 1)},
    {"Mon, 31 Dec 2049 23:59:59", At(2049, 12, 31, 23, 59, 59)},
    {"6 Jan 2004 a:b:c", At(2004, 1, 6)},  // parts that are no integers count as 0
};

TEST(ParseMailDate, FollowsThePositionalRules) {
    for (const DateCase& c : kDates) {
        const auto got = ParseMailDate(c.Text);
        EXPECT_EQ(got.has_value(), c.Expected.has_value()) << c.Text;
        if (got && c.Expected) {
            EXPECT_EQ(*got, *c.Expected) << c.Text;
        }
    }
}

TEST(MailDateToFileTime, CountsFrom1601WithoutZone) {
    EXPECT_EQ(MailDateToFileTime(At(1601, 1, 1)), 0u);
    EXPECT_EQ(MailDateToFileTime(At(1970, 1, 1)), 116'444'736'000'000'000u);
    EXPECT_EQ(MailDateToFileTime(At(2004, 1, 6, 14, 5, 0)),
              116'444'736'000'000'000u + 1'073'397'900ull * 10'000'000u);
    EXPECT_EQ(MailDateToFileTime(At(1500, 1, 6)), 0u);
}

}  // namespace
}  // namespace dorvane
