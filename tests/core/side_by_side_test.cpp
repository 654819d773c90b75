#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

#include "store/side_by_side.h"

namespace dorvane {
namespace {

TEST(SideBySide, EveryItemIsDoneOnceWithOneWorkerPerThread) {
    struct Case {
        std::size_t Count, Step, Threads;
    };
    for (const Case c : {Case{0, 4, 3}, Case{1, 256, 4}, Case{1000, 7, 3}, Case{1000, 1, 1}}) {
        SCOPED_TRACE(testing::Message()
                     << c.Count << " items by " << c.Step << " on " << c.Threads << " threads");
        std::vector<std::atomic<int>> done(c.Count);
        std::atomic<std::size_t> workers{0};
        RunSideBySide(c.Count, c.Step, c.Threads, [&] {
            ++workers;
            return [&](std::size_t first, std::size_t end) {
                EXPECT_LE(end - first, c.Step);
                for (std::size_t i = first; i < end; ++i) ++done[i];
            };
        });
        for (std::size_t i = 0; i < c.Count; ++i) ASSERT_EQ(done[i], 1) << "item " << i;
        EXPECT_EQ(workers, c.Threads);
    }
}

TEST(SideBySide, TheFirstFailureStopsTheOthersAndReachesTheCaller) {
    // Items that take a millisecond each, so that the others would go on for seconds if not
    // stopped. A shorter sleep is no sleep at all on some systems, where the others then
    // finish every item while the exception is still being thrown.
    constexpr std::size_t kCount = 10'000;
    std::atomic<std::size_t> started{0};
    // The first exception of a process can take milliseconds to throw while its unwinding
    // tables are loaded; pay that here, outside the run.
    try {
        throw std::runtime_error("warm-up");
    } catch (const std::runtime_error&) {
    }
    EXPECT_THROW(RunSideBySide(kCount, 1, 3,
                               [&] {
                                   return [&](std::size_t first, std::size_t) {
                                       ++started;
                                       if (first == 10) throw std::runtime_error("item 10");
                                       std::this_thread::sleep_for(std::chrono::milliseconds(1));
                                   };
                               }),
                 std::runtime_error);
    EXPECT_LT(started, kCount / 10);
}

}  // namespace
}  // namespace dorvane
