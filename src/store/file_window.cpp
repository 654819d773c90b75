#include "store/file_window.h"

#include <algorithm>

namespace dorvane {

namespace {
// A message's blocks usually follow each other, so one read of sixteen blocks covers most
// whole messages; a longer chain reads on in larger steps.
constexpr std::size_t kFirstReadSize = std::size_t{16} * 528;
constexpr std::size_t kLargestReadSize = std::size_t{256} * 1024;
// How many mapped reads to allow before handing the touched pages back to the system.
constexpr std::uint32_t kAccessesBetweenReleases = 8192;
}  // namespace

FileWindow::FileWindow(platform::ReadOnlyFile& file, Access access,
                       std::vector<std::uint8_t>& scratch)
    : file_(file), buffer_(scratch) {
    if (access == Access::Mapped) {
        mapped_ = file_.Map();
        useMapping_ = !mapped_.empty();
        if (useMapping_) size_ = mapped_.size();
    }
}

std::span<const std::uint8_t> FileWindow::Bytes(std::int64_t offset, std::size_t length) {
    if (offset < 0) return {};
    const auto start = static_cast<std::uint64_t>(offset);
    if (useMapping_) {
        if (start >= size_) return {};
        length = static_cast<std::size_t>(std::min<std::uint64_t>(length, size_ - start));
        if (++mappedAccesses_ == kAccessesBetweenReleases) {
            mappedAccesses_ = 0;
            file_.ReleaseMappedPages();
        }
        return mapped_.subspan(static_cast<std::size_t>(start), length);
    }
    // A read ends where the file does, so a small request needs no size; a large one is
    // clipped first, so that no length taken from the file can size the buffer beyond it.
    if (length > kFirstReadSize) {
        const std::uint64_t size = Size();
        if (start >= size) return {};
        length = static_cast<std::size_t>(std::min<std::uint64_t>(length, size - start));
    }
    const bool inBuffer =
        bufferOffset_ >= 0 && offset >= bufferOffset_ &&
        static_cast<std::uint64_t>(offset - bufferOffset_) + length <= bufferLength_;
    if (!inBuffer) {
        // Each further miss of one read doubles the next, so a long message costs a few
        // reads, not one per block.
        nextReadSize_ =
            bufferOffset_ < 0 ? kFirstReadSize : std::min(nextReadSize_ * 2, kLargestReadSize);
        const std::size_t want = std::max(length, nextReadSize_);
        if (buffer_.size() < want) buffer_.resize(want);
        bufferLength_ = file_.ReadAt(start, std::span(buffer_.data(), want));
        bufferOffset_ = offset;
        length = std::min(length, bufferLength_);
    }
    return {buffer_.data() + (offset - bufferOffset_), length};
}

}  // namespace dorvane
