#include "recovery/recovery_scan.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <span>
#include <string_view>

#include "recovery/header_salvage.h"
#include "store/file_window.h"
#include "store/reader_slot.h"
#include "store/store_paths.h"

namespace dorvane {

namespace {

// Offsets are 32-bit signed in records; the scan keeps below that and ends by itself in
// larger files.
constexpr std::int64_t kPositionLimit = 0x7FFFFFFF;
constexpr std::int64_t kLastWindowStart = 190;
// Eighteen zero bytes hold fifteen zero words: the gap that ends a message's text.
constexpr std::int64_t kZeroRunBytes = 18;
// Bytes examined between two cancel tests while skipping through a region in one step.
constexpr std::int64_t kCancelStride = 1 << 20;
constexpr std::string_view kDate = "Date:";

int DigitCount(std::int64_t value) {
    int digits = 1;
    while (value >= 10) {
        value /= 10;
        ++digits;
    }
    return digits;
}

std::int64_t FirstThreeDigits(std::int64_t value) {
    while (value >= 1000) value /= 10;
    return value;
}

// The rules of the scan, carried out in time linear in the file. The rules search
// backwards from each "Date:" for the start of its first block, and forwards for the end
// of its text, one offset at a time; on a hostile file (a run of "Date:" with no zero
// bytes) that is quadratic. Both answers depend only on the bytes below or above the
// "Date:", and block starts and zero runs both sit at zero bytes, so this walks the zero
// bytes once, in file order, and keeps the nearest answers as it goes. Every record comes
// out as the byte-by-byte rules give it.
class RecoveryScan {
  public:
    RecoveryScan(FileWindow& file, std::span<const std::uint8_t> bytes, std::int64_t total,
                 MessageList& list, ScanObserver& observer)
        : file_(file),
          bytes_(bytes),
          size_(static_cast<std::int64_t>(bytes.size())),
          total_(total),
          interval_(std::max<std::int64_t>(1, (size_ - 64) / 300)),
          list_(list),
          observer_(observer) {}

    void Run(std::int64_t p);

  private:
    std::uint8_t Byte(std::int64_t x) const { return bytes_[static_cast<std::size_t>(x)]; }
    // The word at x is its own offset and follows a zero byte: a message's first block.
    // Words beyond the end of the file never match.
    bool BlockStart(std::int64_t x) const {
        return x >= 1 && x + 4 <= size_ && Byte(x - 1) == 0 &&
               LoadU32(&bytes_[static_cast<std::size_t>(x)]) == static_cast<std::uint64_t>(x);
    }
    bool DateAt(std::int64_t x) const {
        return x >= 0 && x + 5 <= size_ &&
               std::memcmp(&bytes_[static_cast<std::size_t>(x)], kDate.data(), 5) == 0;
    }
    // The first offset at or after p with zero byte, or size_.
    std::int64_t NextZero(std::int64_t from, std::int64_t to) const {
        if (from >= to) return to;
        const void* zero = std::memchr(&bytes_[static_cast<std::size_t>(from)], 0,
                                       static_cast<std::size_t>(to - from));
        return zero == nullptr ? to : static_cast<const std::uint8_t*>(zero) - bytes_.data();
    }
    // The first offset at or after from whose byte is not zero, or to. Zero runs fill the
    // tail of every message's last block, so they are stepped over eight bytes at a time.
    std::int64_t RunEnd(std::int64_t from, std::int64_t to) const {
        while (from + 8 <= to) {
            std::uint64_t eight = 0;
            std::memcpy(&eight, &bytes_[static_cast<std::size_t>(from)], 8);
            if (eight != 0) break;
            from += 8;
        }
        while (from < to && Byte(from) == 0) ++from;
        return from;
    }
    std::optional<std::int64_t> NextDate(std::int64_t p);
    void Update(std::int64_t labelPosition, std::int64_t scanPosition) {
        observer_.Progress(labelPosition, scanPosition, total_);
        observer_.ProcessPendingEvents();
    }
    bool Cancelled() {
        cancelled_ = cancelled_ || observer_.CancelRequested();
        return cancelled_;
    }
    std::optional<std::int64_t> FindStart(std::int64_t p, std::int64_t lowerBound);
    struct End {
        std::int64_t Last;  // the range's last offset
        std::int64_t Y;     // where the forward search stopped
    };
    std::optional<End> FindEnd(std::int64_t p);

    FileWindow& file_;
    std::span<const std::uint8_t> bytes_;
    std::int64_t size_;
    std::int64_t total_;
    std::int64_t interval_;
    MessageList& list_;
    ScanObserver& observer_;
    bool cancelled_ = false;

    // The next "Date:" at or after the scan position: one search per occurrence.
    bool searched_ = false;
    std::optional<std::int64_t> nextDate_;
    std::int64_t nextCancelTest_ = kCancelStride;

    // The backward answers: every byte below indexedTo_ has been looked at.
    std::int64_t indexedTo_ = 0;
    std::int64_t lastBlockStart_ = -1;      // highest block start whose zero byte is indexed
    std::int64_t previousBlockStart_ = -1;  // the one before it
    std::int64_t lastZeroRun_ = -1;         // highest x with 18 zero bytes from x, indexed

    // Once a forward search fails, every later one fails too: it looks at fewer offsets.
    bool forwardFailed_ = false;
};

std::optional<std::int64_t> RecoveryScan::NextDate(std::int64_t p) {
    // The scan only moves forward, so an occurrence found earlier stays the next one until
    // the scan passes it.
    if (!searched_ || (nextDate_ && *nextDate_ < p)) {
        searched_ = true;
        nextDate_.reset();
        // Colons are rare in mail text and absent from base64 attachments, the bulk of a
        // store: memchr finds each at memory speed, and "Date" must stand before it.
        for (std::int64_t colon = std::max<std::int64_t>(p + 4, 4); colon < size_; ++colon) {
            const void* found = std::memchr(&bytes_[static_cast<std::size_t>(colon)], ':',
                                            static_cast<std::size_t>(size_ - colon));
            if (found == nullptr) break;
            colon = static_cast<const std::uint8_t*>(found) - bytes_.data();
            if (DateAt(colon - 4)) {
                nextDate_ = colon - 4;
                break;
            }
        }
    }
    return nextDate_;
}

std::optional<std::int64_t> RecoveryScan::FindStart(std::int64_t p, std::int64_t lowerBound) {
    if (p - 1 < lowerBound) {
        // Offset p - 1 is examined even below the bound, and nothing else is.
        return BlockStart(p - 1) ? std::optional<std::int64_t>(p - 1) : std::nullopt;
    }
    // Index the zero bytes below p. The byte at p is the "D", so no zero run reaches it.
    while (indexedTo_ < p) {
        const std::int64_t runStart = NextZero(indexedTo_, p);
        if (runStart >= p) {
            indexedTo_ = p;
            break;
        }
        const std::int64_t runEnd = RunEnd(runStart, p);
        // Inside a run the word is 0, which no offset above 0 equals: only the last three
        // offsets of a run and the one after it can start a block.
        for (std::int64_t x = std::max(runStart + 1, runEnd - 3); x <= runEnd; ++x) {
            if (BlockStart(x)) {
                previousBlockStart_ = lastBlockStart_;
                lastBlockStart_ = x;
            }
        }
        if (runEnd - runStart >= kZeroRunBytes) lastZeroRun_ = runEnd - kZeroRunBytes;
        indexedTo_ = runEnd;
        if (indexedTo_ >= nextCancelTest_) {
            nextCancelTest_ = indexedTo_ + kCancelStride;
            if (Cancelled()) return std::nullopt;
        }
    }
    // A block start at p itself was indexed through the zero byte at p - 1; it is above
    // the search.
    const std::int64_t blockStart =
        lastBlockStart_ <= p - 1 ? lastBlockStart_ : previousBlockStart_;
    const std::int64_t start = std::max(blockStart, lastZeroRun_);
    if (start < lowerBound) return std::nullopt;
    return start;
}

std::optional<RecoveryScan::End> RecoveryScan::FindEnd(std::int64_t p) {
    if (forwardFailed_) return std::nullopt;
    // The search gives up once y passes this (offset p + 1 is always examined).
    const std::int64_t giveUpAfter = std::max(p + 1, size_ - 100);
    std::int64_t reported = p + 1;  // progress points up to here have been made
    const auto reportUpTo = [&](std::int64_t y) {
        const std::int64_t firstMultiple = (reported / interval_ + 1) * interval_;
        for (std::int64_t at = std::max(firstMultiple, p + 2); at <= y; at += interval_) {
            if (Cancelled()) return false;
            Update(at, p);
        }
        reported = std::max(reported, y);
        return !Cancelled();
    };

    std::int64_t from = p + 1;
    while (true) {
        if (Cancelled()) return std::nullopt;
        const std::int64_t runStart = NextZero(from, size_);
        std::optional<End> found;
        if (runStart < size_) {
            const std::int64_t runEnd = RunEnd(runStart, size_);
            if (runEnd - runStart >= kZeroRunBytes) {
                // Fifteen zero words end at runStart + 14; the text ends before the run.
                found = End{runStart - 1, runStart + 14};
            } else {
                for (std::int64_t y = std::max(runStart + 1, runEnd - 3); y <= runEnd && !found;
                     ++y) {
                    if (BlockStart(y)) found = End{y, y};
                }
            }
            from = runEnd;
        }
        if (runStart >= size_ || (found && found->Y > giveUpAfter)) {
            reportUpTo(giveUpAfter + 1);
            forwardFailed_ = true;
            return std::nullopt;
        }
        if (found) {
            if (!reportUpTo(found->Y)) return std::nullopt;
            return found;
        }
        if (!reportUpTo(std::min(from, giveUpAfter + 1))) return std::nullopt;
    }
}

void RecoveryScan::Run(std::int64_t p) {
    std::int64_t lowerBound = 100;
    std::int64_t iterations = 0;
    while (p < size_ - 64) {
        if (Cancelled()) return;
        if (++iterations % interval_ == 0) Update(p, p);

        // The rules look for "Date:" in the 200 bytes at p at offsets 0 to 190, then test
        // the 5 bytes at offset 191; without a match p moves on by 192, or 194 when no "D"
        // stands in those 5 bytes. No occurrence is passed over, so the next match is the
        // next occurrence in the file, wherever it lies.
        const std::optional<std::int64_t> date = NextDate(p);
        if (date && *date <= p + kLastWindowStart) {
            p = *date;
        } else {
            p += kLastWindowStart + 1;
            if (!DateAt(p)) {
                bool hasD = false;
                for (std::int64_t i = p; i < std::min(p + 5, size_); ++i)
                    hasD = hasD || Byte(i) == 'D';
                p += hasD ? 1 : 3;
                continue;
            }
        }

        // A candidate: p is the offset of its "D".
        Update(p, p);
        if (Cancelled()) return;
        const std::optional<std::int64_t> start = FindStart(p, lowerBound);
        if (cancelled_) return;
        if (!start) {
            ++p;
            continue;
        }
        const std::optional<End> end = FindEnd(p);
        if (cancelled_) return;
        if (!end) {
            ++p;
            continue;
        }
        lowerBound = end->Last;
        const std::int64_t limit = std::min(p + 800, kPositionLimit - 50);
        SalvageHeaders(file_, static_cast<std::int32_t>(*start), static_cast<std::int32_t>(limit),
                       static_cast<std::int32_t>(end->Last - *start + 1), list_);
        p = end->Y + 1;
    }
}

// Ends the observer's view of the scan however the scan ends.
class ObservedScan {
  public:
    ObservedScan(ScanObserver& observer, const std::string& fileName) : observer_(observer) {
        observer_.Begin(fileName);
    }
    ~ObservedScan() { observer_.End(); }
    ObservedScan(const ObservedScan&) = delete;
    ObservedScan& operator=(const ObservedScan&) = delete;

  private:
    ScanObserver& observer_;
};

}  // namespace

int ProgressBarValue(std::int64_t scanPosition, std::int64_t total, int current) {
    if (scanPosition < 0 || total <= 0) return current;
    const int a = DigitCount(scanPosition);
    const int b = DigitCount(total);
    if (a < 3 || a < b - 1) return current;
    const std::int64_t a3 = FirstThreeDigits(scanPosition);
    const std::int64_t b3 = FirstThreeDigits(total);
    return static_cast<int>(a == b - 1 ? a3 * 10 / b3 : a3 * 100 / b3);
}

void ScanForMessages(ReaderState& reader, const std::string& path, std::int32_t startOffset,
                     MessageList& list, ScanObserver& observer) {
    // Opened for reading only, sharing reading and writing: the mail client may hold it.
    OpenFileSlot slot(reader, path, platform::ShareMode::ReadWrite);
    ObservedScan observed(observer, FileNamePart(path));
    FileWindow file(slot.File(), FileWindow::Access::Mapped, reader.ReadBuffer);
    const std::int64_t size = static_cast<std::int64_t>(file.Size());
    // The scan reads the file through the mapping; one that cannot be mapped (an empty
    // file among them) holds nothing to find, and is never copied into memory instead.
    if (!file.IsMapped()) return;
    const auto bytes = file.Bytes(0, static_cast<std::size_t>(std::min(size, kPositionLimit)));
    RecoveryScan scan(file, bytes, size - 64, list, observer);
    scan.Run(startOffset);
}

}  // namespace dorvane
