#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace dorvane {

// A map from file offsets (above 0) to small numbers, for the lookups the index walk makes
// once per record. The standard node-based maps cost an allocation and a cache miss for
// every record; open addressing in one array keeps a 100,000-record walk in cache.
class OffsetTable {
  public:
    // The value stored for offset, or nothing.
    std::optional<std::uint32_t> Find(std::int32_t offset) const {
        if (slots_.empty()) return std::nullopt;
        const std::size_t mask = slots_.size() - 1;
        const auto key = static_cast<std::uint32_t>(offset);
        for (std::size_t i = Hash(key) & mask;; i = (i + 1) & mask) {
            const std::uint64_t slot = slots_[i];
            if (slot == 0) return std::nullopt;
            if (static_cast<std::uint32_t>(slot >> 32) == key) {
                return static_cast<std::uint32_t>(slot);
            }
        }
    }

    // Stores value for an offset that is not in the table yet.
    void Insert(std::int32_t offset, std::uint32_t value) {
        if ((used_ + 1) * 2 > slots_.size()) Grow();
        const std::size_t mask = slots_.size() - 1;
        const auto key = static_cast<std::uint32_t>(offset);
        std::size_t i = Hash(key) & mask;
        while (slots_[i] != 0) i = (i + 1) & mask;
        slots_[i] = Pack(key, value);
        ++used_;
    }

  private:
    static std::size_t Hash(std::uint32_t key) {
        return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ULL) >> 32);
    }
    // Offsets are above 0, so a packed slot is never 0, which marks an empty slot.
    static std::uint64_t Pack(std::uint32_t key, std::uint32_t value) {
        return (std::uint64_t{key} << 32) | value;
    }
    void Grow() {
        std::vector<std::uint64_t> old = std::move(slots_);
        slots_.assign(old.empty() ? 1024 : old.size() * 2, 0);
        const std::size_t mask = slots_.size() - 1;
        for (const std::uint64_t slot : old) {
            if (slot == 0) continue;
            std::size_t i = Hash(static_cast<std::uint32_t>(slot >> 32)) & mask;
            while (slots_[i] != 0) i = (i + 1) & mask;
            slots_[i] = slot;
        }
    }

    std::vector<std::uint64_t> slots_;
    std::size_t used_ = 0;
};

}  // namespace dorvane
