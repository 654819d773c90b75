#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace dorvane {

// A calendar date and time of day as a mail header writes it, with no zone.
struct MailDateTime {
    int Year = 0;
    int Month = 0;
    int Day = 0;
    int Hour = 0;
    int Minute = 0;
    int Second = 0;

    bool operator==(const MailDateTime&) const = default;
};

// Reads the date of a Date header line ("Tue, 6 Jan 2004 14:05:00 +0100"): positional and
// lenient, an optional day name, then day, month name and year, then an optional time;
// the zone is never read. Nothing when the text holds no valid date.
std::optional<MailDateTime> ParseMailDate(std::string_view text);

// The FILETIME of a date and time taken as UTC; 0 for dates before 1601.
std::uint64_t MailDateToFileTime(const MailDateTime& date);

}  // namespace dorvane
