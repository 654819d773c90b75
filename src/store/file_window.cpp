#include "store/file_window.h"

#include <algorithm>
#include <new>
#include <system_error>
#include <thread>

#include "store/stream_read_ahead.h"

namespace dorvane {

namespace {
// A message's blocks usually follow each other, so one read of sixteen blocks covers most
// whole messages; a longer chain reads on in larger steps.
constexpr std::size_t kFirstReadSize = std::size_t{16} * 528;
constexpr std::size_t kLargestReadSize = std::size_t{256} * 1024;
// How many mapped reads to allow before handing the touched pages back to the system: a few
// megabytes of a file whose records lie close together, for each thread reading it. Each
// release makes every processor the threads run on drop its cached view of those pages and
// waits for all of them to do so, which on a busy virtual machine can take a while.
constexpr std::uint32_t kAccessesBetweenReleases = 8192;
// What one prefetch brings in.
constexpr std::uint64_t kCacheLine = 64;

// The walk's stretches: a jump reads a little; each read that carries on from a stretch
// reads twice as much as the one before, up to a megabyte.
constexpr std::size_t kFirstStretch = std::size_t{16} * 1024;
constexpr std::size_t kLargestStretch = std::size_t{1} << 20;
// The cost model, in bytes copied: a read costs as much as copying 16 KB besides its bytes,
// and mapping costs about as much as copying 4 KB per request (a record takes three
// requests and about a page, and mapping a page costs about as much as copying three).
// Judged once copies have cost a few megabytes, so that a small file is always copied.
constexpr std::uint64_t kReadCost = std::uint64_t{16} * 1024;
constexpr std::uint64_t kMappedCostPerRequest = std::uint64_t{4} * 1024;
constexpr std::uint64_t kCostBeforeJudging = std::uint64_t{4} << 20;
// Reading ahead starts once a stream reads whole stretches, and only where at least this
// much of the file is left: for less, a thread costs more than it saves.
constexpr std::uint64_t kReadAheadRemaining = std::uint64_t{8} << 20;
// Whole stretches a stream reads for itself, none taken from ahead, before the reading
// ahead follows it instead.
constexpr std::uint32_t kReadsBeforeFollowing = 2;
// A chunk taken from ahead stands for its share of a whole stretch, read cost included, so
// that the walk is judged as if it had read the stretches itself.
constexpr std::uint64_t kTakenChunkCost =
    StreamReadAhead::kChunkBytes + kReadCost * StreamReadAhead::kChunkBytes / kLargestStretch;

// A thread reading ahead from base, or none where it would not pay (a single processor) or
// cannot be had.
std::unique_ptr<StreamReadAhead> StartReadAhead(const platform::ReadOnlyFile& file,
                                                std::uint64_t size, std::uint64_t base) {
    if (std::thread::hardware_concurrency() < 2) return nullptr;
    try {
        return std::make_unique<StreamReadAhead>(file, size, base);
    } catch (const std::system_error&) {
    } catch (const std::bad_alloc&) {
    }
    return nullptr;
}
}  // namespace

FileWindow::FileWindow(platform::ReadOnlyFile& file, Access access,
                       std::vector<std::uint8_t>& scratch)
    : file_(file), buffer_(scratch) {
    if (access == Access::Walked) {
        mapped_ = file_.Map();
        useMapping_ = !mapped_.empty();
        if (useMapping_) size_ = mapped_.size();
        copying_ = useMapping_;
    }
}

FileWindow::FileWindow(const FileWindow& walked, SharingMapping)
    : file_(walked.file_),
      size_(walked.size_),
      mapped_(walked.mapped_),
      useMapping_(walked.useMapping_),
      buffer_(ownBuffer_) {}

FileWindow::~FileWindow() = default;

std::span<const std::uint8_t> FileWindow::Bytes(std::int64_t offset, std::size_t length) {
    if (offset < 0) return {};
    if (!useMapping_) return BufferedBytes(offset, length);
    const auto start = static_cast<std::uint64_t>(offset);
    if (start >= size_) return {};
    length = static_cast<std::size_t>(std::min<std::uint64_t>(length, size_ - start));
    if (copying_ && length <= kLargestStretch) {
        const auto copied = CopiedBytes(start, length);
        if (copying_) return copied;
    }
    return MappedBytes(start, length);
}

// Kept out of line: inlined into a caller, GCC 12 may drop the prefetches of a guarded
// block as if they did nothing.
void FileWindow::Prefetch(std::int64_t offset, std::size_t length) const {
    if (!useMapping_ || copying_ || offset < 0) return;
    const auto start = static_cast<std::uint64_t>(offset);
    if (start >= size_) return;
    const std::uint64_t end = std::min<std::uint64_t>(size_, start + length);
    for (std::uint64_t at = start; at < end; at += kCacheLine) {
#if defined(__GNUC__) || defined(__clang__)
        __builtin_prefetch(mapped_.data() + at);
#endif
    }
}

std::span<const std::uint8_t> FileWindow::MappedBytes(std::uint64_t start, std::size_t length) {
    if (++mappedAccesses_ == kAccessesBetweenReleases) {
        mappedAccesses_ = 0;
        if (touchedFrom_ < touchedTo_) {
            file_.ReleaseMappedPages(touchedFrom_, touchedTo_ - touchedFrom_);
        }
        touchedFrom_ = UINT64_MAX;
        touchedTo_ = 0;
        // While pages are handed back, also make sure the file has not been cut short:
        // asking at every request would cost what the mapping saves.
        NoteFileEnd();
    }
    // Clipped again here: the file's end may have moved in, now or in a copy just tried.
    if (start >= size_) return {};
    length = static_cast<std::size_t>(std::min<std::uint64_t>(length, size_ - start));
    touchedFrom_ = std::min(touchedFrom_, start);
    touchedTo_ = std::max(touchedTo_, start + length);
    return mapped_.subspan(static_cast<std::size_t>(start), length);
}

void FileWindow::NoteFileEnd() {
    size_ = std::min(size_, file_.Size());
}

std::span<const std::uint8_t> FileWindow::CopiedBytes(std::uint64_t start, std::size_t length) {
    ++requests_;
    for (Stretch& stretch : stretches_) {
        if (stretch.ReadSize != 0 && start >= stretch.Offset &&
            start - stretch.Offset + length <= stretch.Length) {
            stretch.LastUse = ++uses_;
            return {stretch.Bytes.data() + (start - stretch.Offset), length};
        }
    }
    // A read that carries on where a stretch ends (or a little past it) reuses that
    // stretch and reads more; any other is a jump, into the stretch used longest ago.
    Stretch* into = nullptr;
    std::size_t readSize = kFirstStretch;
    for (Stretch& stretch : stretches_) {
        if (stretch.ReadSize != 0 && start >= stretch.Offset &&
            start - stretch.Offset <= stretch.Length + stretch.ReadSize) {
            into = &stretch;
            readSize = std::min(stretch.ReadSize * 2, kLargestStretch);
            break;
        }
    }
    if (into == nullptr) {
        into = &*std::min_element(
            stretches_.begin(), stretches_.end(),
            [](const Stretch& a, const Stretch& b) { return a.LastUse < b.LastUse; });
    }
    const auto want = static_cast<std::size_t>(
        std::min<std::uint64_t>(std::max(length, readSize), size_ - start));
    into->ReadSize = readSize;
    copyCost_ += Fill(*into, start, length, want);
    into->LastUse = ++uses_;
    if (copyCost_ >= kCostBeforeJudging && copyCost_ > kMappedCostPerRequest * requests_) {
        StopCopying();
        return {};
    }
    return {into->Bytes.data() + (start - into->Offset), std::min(length, into->Length)};
}

std::uint64_t FileWindow::Fill(Stretch& into, std::uint64_t start, std::size_t length,
                               std::size_t want) {
    // Only a stream that carries on takes from what was read ahead: a jump reads a little
    // for itself and leaves the stream's chunks alone.
    const bool carriesOn = into.ReadSize == kLargestStretch;
    if (readAhead_ && carriesOn) {
        if (const auto chunk = readAhead_->Take(start, length, into.Bytes)) {
            into.Offset = chunk->Offset;
            into.Length = chunk->Length;
            ++chunksTakenAhead_;
            readsSinceTaken_ = 0;
            return kTakenChunkCost;
        }
    }
    if (into.Bytes.size() < want) into.Bytes.resize(want);
    into.Length = file_.ReadAt(start, std::span(into.Bytes.data(), want));
    into.Offset = start;
    const std::uint64_t cost = want + kReadCost;
    if (into.Length < want) {
        NoteFileEnd();
        return cost;
    }
    // A stream that has grown to whole stretches goes on from here: read what follows while
    // the walk works through this.
    if (!carriesOn || readAheadFailed_ || size_ - start - into.Length < kReadAheadRemaining) {
        return cost;
    }
    if (!readAhead_) {
        // Started once for the walk: where it cannot be, the walk reads for itself.
        readAhead_ = StartReadAhead(file_, size_, start + into.Length);
        readAheadFailed_ = !readAhead_;
    } else if (++readsSinceTaken_ >= kReadsBeforeFollowing) {
        // Not at the first read that takes nothing: the stream being read ahead may still be
        // going, and a second stream (the index nodes read beside the records) must not pull
        // it away and waste what was read.
        readsSinceTaken_ = 0;
        readAhead_->Follow(start + into.Length);
    }
    return cost;
}

void FileWindow::StopCopying() {
    copying_ = false;
    readAhead_.reset();
    stretches_ = {};
}

std::span<const std::uint8_t> FileWindow::BufferedBytes(std::int64_t offset, std::size_t length) {
    const auto start = static_cast<std::uint64_t>(offset);
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
