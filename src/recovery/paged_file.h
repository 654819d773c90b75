#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "platform/read_only_file.h"

namespace dorvane {

// Reads a file through a handful of fixed-size pages kept in memory, for the recovery scan.
// The scan's searches all move forward through the same stretch of the file, so they share
// what was read: on ordinary files every page is read once. Memory stays at a few pages
// whatever the size of the file.
//
// Nothing is mapped. The mail client may hold the file open for writing while we scan it;
// if it shortens the file meanwhile, a read comes back short and the file simply ends
// there for us, where a mapping would fault.
class PagedFile {
  public:
    static constexpr std::size_t kDefaultPageBytes = std::size_t{128} * 1024;
    static constexpr std::size_t kPageCount = 8;

    // Reads at most the first `size` bytes of file.
    PagedFile(platform::ReadOnlyFile& file, std::int64_t size,
              std::size_t pageBytes = kDefaultPageBytes);

    // Where the bytes end: the size given, or less once a read came back short. It only
    // ever decreases.
    std::int64_t End() const { return end_; }

    // The bytes from offset to the end of its page; empty outside [0, End()).
    std::span<const std::uint8_t> From(std::int64_t offset) {
        // Most requests fall into the page used last: no lookup, no division.
        const auto at = static_cast<std::uint64_t>(offset - recentStart_);
        if (at < recentLength_) return {recentBytes_ + at, recentLength_ - at};
        return FromAnotherPage(offset);
    }

    // Tests that are simply false where the file holds no such bytes.
    bool ByteIs(std::int64_t offset, std::uint8_t value) {
        const auto bytes = From(offset);
        return !bytes.empty() && bytes[0] == value;
    }
    bool Matches(std::int64_t offset, std::string_view text);
    // The little-endian 32-bit word at offset, if the file holds all four bytes.
    std::optional<std::uint32_t> Word(std::int64_t offset) {
        const auto bytes = From(offset);
        if (bytes.size() < 4) return WordAcrossPages(offset);
        return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
               static_cast<std::uint32_t>(bytes[2]) << 16 |
               static_cast<std::uint32_t>(bytes[3]) << 24;
    }

  private:
    struct Page {
        std::int64_t Index = -1;
        std::size_t Length = 0;  // bytes read into it
        std::uint64_t LastUse = 0;
        std::vector<std::uint8_t> Bytes;
    };
    Page& Load(std::int64_t index);
    std::span<const std::uint8_t> FromAnotherPage(std::int64_t offset);
    std::optional<std::uint32_t> WordAcrossPages(std::int64_t offset);

    platform::ReadOnlyFile& file_;
    std::int64_t end_;
    std::size_t pageBytes_;
    std::vector<Page> pages_;
    std::uint64_t uses_ = 0;
    // The page used last, as the bytes it holds below End().
    std::int64_t recentStart_ = 0;
    const std::uint8_t* recentBytes_ = nullptr;
    std::size_t recentLength_ = 0;
};

}  // namespace dorvane
