#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "mail_store_builder.h"
#include "platform/local_time.h"
#include "store/uoexpress.h"

namespace dorvane {
namespace {

// The FILETIME whose local time, with today's offset, is the given date and time.
FileTime LocalToStored(int year, int month, int day, int hour, int minute, int second, int ms) {
    const std::int64_t ticks =
        static_cast<std::int64_t>(fixture::FileTimeOf(year, month, day, hour, minute, second)) +
        ms * 10'000LL - platform::CurrentUtcOffsetSeconds() * 10'000'000LL;
    return FileTime::FromTicks(static_cast<std::uint64_t>(ticks));
}

TEST(MessageTimeToDateTime, KeepsTimesInsideTheYearWindowToTheMillisecond) {
    EXPECT_EQ(MessageTimeToDateTime(LocalToStored(1991, 1, 1, 0, 0, 0, 0)),
              (LocalDateTime{1991, 1, 1, 0, 0, 0, 0}));
    EXPECT_EQ(MessageTimeToDateTime(LocalToStored(2049, 12, 31, 23, 59, 59, 999)),
              (LocalDateTime{2049, 12, 31, 23, 59, 59, 999}));
    EXPECT_EQ(MessageTimeToDateTime(LocalToStored(2004, 2, 29, 14, 5, 0, 0)),
              (LocalDateTime{2004, 2, 29, 14, 5, 0, 0}));
}

TEST(MessageTimeToDateTime, MissingOrOutOfWindowTimesGiveNow) {
    const LocalDateTime now{2026, 1, 2, 3, 4, 5, 6};
    const FileTime cases[] = {
        FileTime{},
        LocalToStored(1990, 12, 31, 23, 59, 59, 999),
        LocalToStored(2050, 1, 1, 0, 0, 0, 0),
        FileTime{0xFFFFFFFFu, 0xFFFFFFFFu},
        FileTime{1, 0},  // 1601
    };
    for (const FileTime& time : cases) {
        EXPECT_EQ(MessageTimeToDateTime(time, now), now) << time.Ticks();
        EXPECT_FALSE(StoredTimeToLocal(time).has_value()) << time.Ticks();
    }
}

TEST(MessageTimeToDateTime, ZeroTimeFollowsTheClock) {
    const LocalDateTime before = platform::LocalNow();
    const LocalDateTime first = MessageTimeToDateTime(FileTime{});
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const LocalDateTime second = MessageTimeToDateTime(FileTime{});
    EXPECT_LE(before, first);
    EXPECT_LT(first, second);
}

}  // namespace
}  // namespace dorvane
