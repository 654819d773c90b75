#include "recovery/paged_file.h"

#include <algorithm>

namespace dorvane {

PagedFile::PagedFile(platform::ReadOnlyFile& file, std::int64_t size, std::size_t pageBytes)
    : file_(file),
      end_(std::max<std::int64_t>(size, 0)),
      pageBytes_(std::max<std::size_t>(pageBytes, 1)),
      pages_(kPageCount) {}

PagedFile::Page& PagedFile::Load(std::int64_t index) {
    ++uses_;
    Page* victim = &pages_.front();
    for (Page& page : pages_) {
        if (page.Index == index) {
            page.LastUse = uses_;
            return page;
        }
        if (page.LastUse < victim->LastUse) victim = &page;
    }
    const std::int64_t start = index * static_cast<std::int64_t>(pageBytes_);
    const auto wanted = static_cast<std::size_t>(std::min<std::int64_t>(
        static_cast<std::int64_t>(pageBytes_), std::max<std::int64_t>(end_ - start, 0)));
    // A small file needs no more than its own size.
    if (victim->Bytes.size() < wanted) victim->Bytes.resize(wanted);
    victim->Index = index;
    victim->LastUse = uses_;
    victim->Length =
        file_.ReadAt(static_cast<std::uint64_t>(start), std::span(victim->Bytes.data(), wanted));
    // A short read means the file was shortened after we opened it: it ends here now,
    // also for the page used last.
    if (victim->Length < wanted) {
        end_ = start + static_cast<std::int64_t>(victim->Length);
        recentLength_ = 0;
    }
    return *victim;
}

std::span<const std::uint8_t> PagedFile::FromAnotherPage(std::int64_t offset) {
    if (offset < 0 || offset >= end_) return {};
    const std::int64_t index = offset / static_cast<std::int64_t>(pageBytes_);
    const Page& page = Load(index);
    const std::int64_t start = index * static_cast<std::int64_t>(pageBytes_);
    // The page may hold bytes past an end found since it was read.
    const std::int64_t length = std::min(static_cast<std::int64_t>(page.Length), end_ - start);
    recentStart_ = start;
    recentBytes_ = page.Bytes.data();
    recentLength_ = static_cast<std::size_t>(std::max<std::int64_t>(length, 0));
    const std::int64_t at = offset - start;
    if (at >= length) return {};
    return {recentBytes_ + at, static_cast<std::size_t>(length - at)};
}

bool PagedFile::Matches(std::int64_t offset, std::string_view text) {
    const auto bytes = From(offset);
    if (bytes.size() >= text.size()) {
        return std::equal(text.begin(), text.end(), bytes.begin(),
                          [](char c, std::uint8_t b) { return static_cast<std::uint8_t>(c) == b; });
    }
    // Across the edge of a page.
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!ByteIs(offset + static_cast<std::int64_t>(i), static_cast<std::uint8_t>(text[i]))) {
            return false;
        }
    }
    return true;
}

std::optional<std::uint32_t> PagedFile::WordAcrossPages(std::int64_t offset) {
    std::uint32_t word = 0;
    for (int i = 0; i < 4; ++i) {
        const auto byte = From(offset + i);
        if (byte.empty()) return std::nullopt;
        word |= static_cast<std::uint32_t>(byte[0]) << (8 * i);
    }
    return word;
}

}  // namespace dorvane
