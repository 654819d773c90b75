#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <exception>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace dorvane {

// Works through items [0, count) on up to `threads` threads, the calling thread among them.
// Each thread makes its own worker once (makeWorker()), then takes `step` items at a time
// from one counter and calls worker(first, end), so that a thread held up by slow items
// leaves the rest to the others. The first exception any thread meets stops the others at
// their next step and is rethrown once all have ended. A thread that cannot be started
// leaves its share to those that can.
template <typename MakeWorker>
void RunSideBySide(std::size_t count, std::size_t step, std::size_t threads,
                   MakeWorker makeWorker) {
    std::atomic<std::size_t> next{0};
    std::mutex failureLock;
    std::exception_ptr failure;
    const auto run = [&] {
        try {
            auto worker = makeWorker();
            for (;;) {
                const std::size_t first = next.fetch_add(step);
                if (first >= count) return;
                worker(first, std::min(count, first + step));
            }
        } catch (...) {
            next = count;
            const std::lock_guard hold(failureLock);
            if (!failure) failure = std::current_exception();
        }
    };
    std::vector<std::thread> helpers;
    try {
        if (threads > 1) helpers.reserve(threads - 1);
        for (std::size_t i = 1; i < threads; ++i) helpers.emplace_back(run);
    } catch (const std::system_error&) {
    } catch (const std::bad_alloc&) {
    }
    run();
    for (std::thread& helper : helpers) helper.join();
    if (failure) std::rethrow_exception(failure);
}

}  // namespace dorvane
