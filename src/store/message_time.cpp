#include "platform/civil_date.h"
#include "store/uoexpress.h"

namespace dorvane {

namespace {
constexpr std::int64_t kTicksPerMillisecond = 10'000;
constexpr std::int64_t kMillisecondsPerDay = 86'400'000;
// Days from 1601-01-01, where FILETIME counts from, to 1970-01-01.
constexpr std::int64_t kDaysFrom1601To1970 = 134'774;
// Outside these years a stored time is taken for garbage and the message shows as "now".
constexpr int kFirstYearShown = 1991;
constexpr int kLastYearShown = 2049;
}  // namespace

std::optional<LocalDateTime> StoredTimeToLocal(FileTime time) {
    if (time.IsZero()) return std::nullopt;
    const std::uint64_t ticks = time.Ticks();
    // Times this large are no dates at all, and adding the offset must not overflow.
    if (ticks > static_cast<std::uint64_t>(INT64_MAX / 2)) return std::nullopt;
    const std::int64_t localMs = static_cast<std::int64_t>(ticks) / kTicksPerMillisecond +
                                 platform::CurrentUtcOffsetSeconds() * 1000;
    if (localMs < 0) return std::nullopt;
    const std::int64_t days = localMs / kMillisecondsPerDay;
    const std::int64_t inDay = localMs % kMillisecondsPerDay;
    const platform::CivilDate date = platform::CivilFromDays(days - kDaysFrom1601To1970);
    if (date.Year < kFirstYearShown || date.Year > kLastYearShown) return std::nullopt;
    return LocalDateTime{static_cast<int>(date.Year),
                         static_cast<int>(date.Month),
                         static_cast<int>(date.Day),
                         static_cast<int>(inDay / 3'600'000),
                         static_cast<int>(inDay / 60'000 % 60),
                         static_cast<int>(inDay / 1000 % 60),
                         static_cast<int>(inDay % 1000)};
}

LocalDateTime MessageTimeToDateTime(FileTime time, const LocalDateTime& now) {
    return StoredTimeToLocal(time).value_or(now);
}

LocalDateTime MessageTimeToDateTime(FileTime time) {
    if (auto local = StoredTimeToLocal(time)) return *local;
    return platform::LocalNow();
}

}  // namespace dorvane
