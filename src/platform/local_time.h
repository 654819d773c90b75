#pragma once

#include <compare>
#include <cstdint>
#include <string>

#include "platform/civil_date.h"

namespace dorvane::platform {

// A calendar date and time of day in local time, to the millisecond.
struct LocalDateTime {
    int Year = 0;
    int Month = 0;  // 1..12
    int Day = 0;    // 1..31
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
    int Millisecond = 0;

    // NOLINTNEXTLINE(modernize-use-nullptr): the analyser misreads the defaulted comparison
    auto operator<=>(const LocalDateTime&) const = default;
};

// The calendar date and time of a count of milliseconds since 1970-01-01 00:00:00 (the
// count already shifted into local time by the caller).
inline LocalDateTime DateTimeFromMilliseconds(std::int64_t milliseconds) {
    constexpr std::int64_t kMillisecondsPerDay = 86'400'000;
    std::int64_t days = milliseconds / kMillisecondsPerDay;
    std::int64_t inDay = milliseconds % kMillisecondsPerDay;
    if (inDay < 0) {
        inDay += kMillisecondsPerDay;
        --days;
    }
    const CivilDate date = CivilFromDays(days);
    return {static_cast<int>(date.Year),
            static_cast<int>(date.Month),
            static_cast<int>(date.Day),
            static_cast<int>(inDay / 3'600'000),
            static_cast<int>(inDay / 60'000 % 60),
            static_cast<int>(inDay / 1000 % 60),
            static_cast<int>(inDay % 1000)};
}

// Milliseconds since 1970-01-01 00:00:00 UTC, now.
std::int64_t UtcNowMilliseconds();

// The local time zone's offset from UTC in force now, daylight saving included, in seconds
// east of Greenwich.
std::int64_t CurrentUtcOffsetSeconds();

// The current local date and time with milliseconds.
LocalDateTime LocalNow();

// The message list's date text: the user's short date, a blank and the long time; the time
// is left out at midnight. Windows: GetDateFormat/GetTimeFormat with the user's locale;
// elsewhere strftime's %x and %X under the LC_TIME the program has set.
std::string FormatListDateTime(const LocalDateTime& when);

}  // namespace dorvane::platform
