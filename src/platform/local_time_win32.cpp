#include <windows.h>

#include "platform/local_time.h"
#include "platform/text_encoding.h"

namespace dorvane::platform {

namespace {
// FILETIME of 1970-01-01, in 100-nanosecond intervals since 1601.
constexpr std::int64_t kUnixEpochFileTime = 116'444'736'000'000'000;
}  // namespace

std::int64_t UtcNowMilliseconds() {
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    const std::int64_t ticks =
        (static_cast<std::int64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return (ticks - kUnixEpochFileTime) / 10'000;
}

std::int64_t CurrentUtcOffsetSeconds() {
    // FileTimeToLocalFileTime applies the offset in force now, which is exactly the rule.
    FILETIME utc{};
    ::GetSystemTimeAsFileTime(&utc);
    FILETIME local{};
    if (!::FileTimeToLocalFileTime(&utc, &local)) return 0;
    const auto asTicks = [](const FILETIME& t) {
        return (static_cast<std::int64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return (asTicks(local) - asTicks(utc)) / 10'000'000;
}

LocalDateTime LocalNow() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return {now.wYear,   now.wMonth,  now.wDay,         now.wHour,
            now.wMinute, now.wSecond, now.wMilliseconds};
}

std::string FormatListDateTime(const LocalDateTime& when) {
    SYSTEMTIME parts{};
    parts.wYear = static_cast<WORD>(when.Year);
    parts.wMonth = static_cast<WORD>(when.Month);
    parts.wDay = static_cast<WORD>(when.Day);
    parts.wHour = static_cast<WORD>(when.Hour);
    parts.wMinute = static_cast<WORD>(when.Minute);
    parts.wSecond = static_cast<WORD>(when.Second);
    wchar_t date[128] = {};
    wchar_t time[128] = {};
    ::GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &parts, nullptr, date, 128);
    std::wstring text = date;
    if (when.Hour != 0 || when.Minute != 0 || when.Second != 0) {
        ::GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &parts, nullptr, time, 128);
        text += L' ';
        text += time;
    }
    return SystemFromWide(text);
}

}  // namespace dorvane::platform
