#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "platform/read_only_file.h"
#include "recovery/zero_runs.h"

namespace dorvane {

// Reads a file through a handful of fixed-size pages kept in memory, for the recovery scan.
// The scan's searches all move forward through the same stretch of the file, so they share
// what was read: on ordinary files every page is read once. Memory stays at a few pages
// whatever the size of the file.
//
// Nothing is mapped. The mail client may hold the file open for writing while we scan it;
// if it shortens the file meanwhile, a read comes back short and the file simply ends
// there for us, where a mapping would fault.
//
// Each page also lists the runs of zero bytes that the scan's searches stop at, so that
// they skip from one to the next. On a large file two threads read and list the pages
// after the one in use while the scan works on it: copying the bytes out of the system's
// cache and finding the zero bytes in them cost more than the rest of the scan, and then
// run beside it.
class PagedFile {
  public:
    static constexpr std::size_t kDefaultPageBytes = std::size_t{256} * 1024;
    static constexpr std::size_t kPageCount = 8;

    // Reads at most the first `size` bytes of file.
    PagedFile(platform::ReadOnlyFile& file, std::int64_t size,
              std::size_t pageBytes = kDefaultPageBytes);
    ~PagedFile();
    PagedFile(const PagedFile&) = delete;
    PagedFile& operator=(const PagedFile&) = delete;

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

    // The runs of zero bytes that matter to the scan (see ListZeroRuns) among those that
    // start in [offset, To), in order, where To lies at most at the end of the bytes of the
    // page holding offset; offset should not lie inside a run that matters. Outside
    // [0, End()), none and To = offset.
    struct Runs {
        const std::vector<ZeroRun>* List;
        std::int64_t To;
    };
    Runs RunsFrom(std::int64_t offset);

  private:
    class ReadAhead;
    struct Page {
        std::int64_t Index = -1;
        std::size_t Length = 0;  // bytes of the page read into it
        std::size_t Read = 0;    // bytes read into it, counting those after the page
        std::uint64_t LastUse = 0;
        std::vector<std::uint8_t> Bytes;
        // Runs holds the runs that start in [ListedFrom, ListedTo).
        std::int64_t ListedFrom = 0;
        std::int64_t ListedTo = 0;
        std::vector<ZeroRun> Runs;
    };
    Page& Load(std::int64_t index);
    std::span<const std::uint8_t> FromAnotherPage(std::int64_t offset);
    std::optional<std::uint32_t> WordAcrossPages(std::int64_t offset);

    platform::ReadOnlyFile& file_;
    std::int64_t end_;
    std::size_t pageBytes_;
    std::vector<Page> pages_;
    std::uint64_t uses_ = 0;
    std::unique_ptr<ReadAhead> readAhead_;
    // The page used last, as the bytes it holds below End().
    std::int64_t recentStart_ = 0;
    const std::uint8_t* recentBytes_ = nullptr;
    std::size_t recentLength_ = 0;
    Page* recentPage_ = nullptr;
};

}  // namespace dorvane
