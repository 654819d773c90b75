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
    const LocalDateTime local =
        platform::DateTimeFromMilliseconds(localMs - kDaysFrom1601To1970 * kMillisecondsPerDay);
    if (local.Year < kFirstYearShown || local.Year > kLastYearShown) return std::nullopt;
    return local;
}

LocalDateTime MessageTimeToDateTime(FileTime time, const LocalDateTime& now) {
    return StoredTimeToLocal(time).value_or(now);
}

LocalDateTime MessageTimeToDateTime(FileTime time) {
    if (auto local = StoredTimeToLocal(time)) return *local;
    return platform::LocalNow();
}

}  // namespace dorvane
