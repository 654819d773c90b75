#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace dorvane {

// A map from file offsets (above 0) to small numbers, for the lookups the index walk makes
// once per record.
//
// A file's records mostly lie in the order its index names them, as they were written one
// after another. Offsets that arrive in rising order are appended to a sorted list, which
// costs no cache miss and answers "new" at once for any offset above its last one. The
// rest go to a table of open addressing in one array (a node-based map would cost an
// allocation and a cache miss for each). When the rest are many, the list moves into that
// table too, so a file in no order costs what the table alone costs.
class OffsetTable {
  public:
    // The value stored for offset, or nothing.
    std::optional<std::uint32_t> Find(std::int32_t offset) const {
        if (!rising_.empty()) {
            if (offset > rising_.back().Offset) return std::nullopt;
            const auto at = std::lower_bound(
                rising_.begin(), rising_.end(), offset,
                [](const Entry& entry, std::int32_t key) { return entry.Offset < key; });
            if (at->Offset == offset) return at->Value;
        }
        return FindScattered(static_cast<std::uint32_t>(offset));
    }

    // Stores value for an offset that is not in the table yet.
    void Insert(std::int32_t offset, std::uint32_t value) {
        if (keepRising_ && (rising_.empty() || offset > rising_.back().Offset)) {
            rising_.push_back({offset, value});
            return;
        }
        InsertScattered(Pack(static_cast<std::uint32_t>(offset), value));
        if (keepRising_ && ++scattered_ > kScatteredBeforeMerge &&
            scattered_ * 8 > rising_.size()) {
            keepRising_ = false;
            for (const Entry& entry : rising_) {
                InsertScattered(Pack(static_cast<std::uint32_t>(entry.Offset), entry.Value));
            }
            rising_ = {};
        }
    }

  private:
    struct Entry {
        std::int32_t Offset;
        std::uint32_t Value;
    };
    // Out-of-order offsets tolerated beside the sorted list before it is merged away; below
    // this, a binary search per lookup costs less than the merge.
    static constexpr std::size_t kScatteredBeforeMerge = 1024;

    static std::size_t Hash(std::uint32_t key) {
        return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ULL) >> 32);
    }
    // Offsets are above 0, so a packed slot is never 0, which marks an empty slot.
    static std::uint64_t Pack(std::uint32_t key, std::uint32_t value) {
        return (std::uint64_t{key} << 32) | value;
    }

    std::optional<std::uint32_t> FindScattered(std::uint32_t key) const {
        if (slots_.empty()) return std::nullopt;
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t i = Hash(key) & mask;; i = (i + 1) & mask) {
            const std::uint64_t slot = slots_[i];
            if (slot == 0) return std::nullopt;
            if (static_cast<std::uint32_t>(slot >> 32) == key) {
                return static_cast<std::uint32_t>(slot);
            }
        }
    }

    void InsertScattered(std::uint64_t packed) {
        if ((used_ + 1) * 2 > slots_.size()) Grow();
        Place(packed);
        ++used_;
    }

    void Place(std::uint64_t packed) {
        const std::size_t mask = slots_.size() - 1;
        std::size_t i = Hash(static_cast<std::uint32_t>(packed >> 32)) & mask;
        while (slots_[i] != 0) i = (i + 1) & mask;
        slots_[i] = packed;
    }

    void Grow() {
        std::vector<std::uint64_t> old = std::move(slots_);
        slots_.assign(old.empty() ? 1024 : old.size() * 2, 0);
        for (const std::uint64_t slot : old) {
            if (slot != 0) Place(slot);
        }
    }

    std::vector<Entry> rising_;
    bool keepRising_ = true;
    std::size_t scattered_ = 0;
    std::vector<std::uint64_t> slots_;
    std::size_t used_ = 0;
};

}  // namespace dorvane
