#pragma once

// The recovery scan's rules transcribed literally, one offset at a time, over bytes in
// memory, with every progress point and cancel test where the rules put them. Far too slow
// for real files (quadratic on hostile ones) but plainly right: the fast scan must give
// exactly its records, and on ordinary files exactly its progress points.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "recovery/header_salvage.h"
#include "recovery/recovery_scan.h"

namespace dorvane::testing {

struct LiteralResult {
    std::vector<Toe5_MessageInfo> Records;
    int FailedForwardSearches = 0;
};

inline LiteralResult LiteralScan(const std::vector<std::uint8_t>& file, ScanObserver& observer,
                                 std::int64_t start = 80) {
    const auto size = static_cast<std::int64_t>(file.size());
    const std::int64_t total = size - 64;
    const std::int64_t interval = std::max<std::int64_t>(1, total / 300);
    const auto update = [&](std::int64_t label, std::int64_t p) {
        observer.Progress(label, p, total);
        observer.ProcessPendingEvents();
    };
    const auto word = [&](std::int64_t x) -> std::optional<std::uint32_t> {
        if (x < 0 || x + 4 > size) return std::nullopt;  // beyond the file: never matches
        std::uint32_t w = 0;
        for (int i = 3; i >= 0; --i) w = (w << 8) | file[static_cast<std::size_t>(x + i)];
        return w;
    };
    const auto byteIs = [&](std::int64_t x, std::uint8_t value) {
        return x >= 0 && x < size && file[static_cast<std::size_t>(x)] == value;
    };
    const auto dateAt = [&](std::int64_t x) {
        return x >= 0 && x + 5 <= size &&
               std::memcmp(&file[static_cast<std::size_t>(x)], "Date:", 5) == 0;
    };
    const auto qualifies = [&](std::int64_t x, int& z) {
        const auto w = word(x);
        z = (w && *w == 0) ? z + 1 : 0;
        if (z == 15) return 1;                                                       // zero run
        if (w && *w == static_cast<std::uint32_t>(x) && byteIs(x - 1, 0)) return 2;  // block start
        return 0;
    };

    LiteralResult result;
    std::int64_t p = start;
    std::int64_t lowerBound = 100;
    std::int64_t iterations = 0;
    while (p < size - 64) {
        if (observer.CancelRequested()) break;
        if (++iterations % interval == 0) update(p, p);
        std::int64_t i = 191;
        for (std::int64_t k = 0; k <= 190; ++k) {
            if (dateAt(p + k)) {
                i = k;
                break;
            }
        }
        p += i;
        bool hasD = false;
        for (std::int64_t k = p; k < p + 5; ++k) hasD = hasD || byteIs(k, 'D');
        const bool isDate = dateAt(p);
        if (!hasD) p += 2;
        if (!isDate) {
            ++p;
            continue;
        }
        update(p, p);
        std::int64_t x = p - 1;
        int z = 0;
        std::optional<std::int64_t> first;
        while (true) {
            if (observer.CancelRequested()) return result;
            const int kind = qualifies(x, z);
            if (kind != 0) {
                first = x;
                break;
            }
            --x;
            if (x < lowerBound) break;
        }
        if (!first) {
            ++p;
            continue;
        }
        std::int64_t y = p + 1;
        z = 0;
        std::optional<std::int64_t> last;
        while (true) {
            if (observer.CancelRequested()) return result;
            const int kind = qualifies(y, z);
            if (kind == 1) {
                last = y - 15;
                break;
            }
            if (kind == 2) {
                last = y;
                break;
            }
            ++y;
            if (y % interval == 0) update(y, p);
            if (y > size - 100) break;
        }
        if (!last) {
            ++result.FailedForwardSearches;
            ++p;
            continue;
        }
        lowerBound = *last;
        const std::int64_t windowEnd = std::min(size - 1, p + 800 + 50);
        std::string window(file.begin() + *first, file.begin() + windowEnd + 1);
        result.Records.push_back(SalvageFromWindow(window, static_cast<std::int32_t>(*first),
                                                   static_cast<std::int32_t>(*last - *first + 1)));
        p = y + 1;
    }
    return result;
}

}  // namespace dorvane::testing
