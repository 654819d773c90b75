#include "recovery/recovery_scan.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <optional>
#include <string_view>

#include "recovery/header_salvage.h"
#include "recovery/paged_file.h"
#include "recovery/zero_runs.h"
#include "store/reader_slot.h"
#include "store/store_paths.h"

namespace dorvane {

namespace {

// Offsets are 32-bit signed in records; the scan keeps below that and ends by itself in
// larger files.
constexpr std::int64_t kPositionLimit = 0x7FFFFFFF;
constexpr std::int64_t kLastWindowStart = 190;
// Bytes walked between two cancel tests of their own, where the searches step over many
// offsets at once: a millisecond's work, so Cancel is honoured at once on any file.
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

std::size_t Clip(std::size_t available, std::int64_t wanted) {
    return static_cast<std::size_t>(
        std::min<std::int64_t>(static_cast<std::int64_t>(available), wanted));
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
    // fileSize: the whole file's size, which sets the progress total and interval; the
    // bytes are read through file, which ends at the position limit.
    RecoveryScan(PagedFile& file, std::int64_t fileSize, MessageList& list, ScanObserver& observer)
        : file_(file),
          total_(fileSize - 64),
          // Files under 364 bytes would make it 0; every iteration reports then.
          interval_(std::max<std::int64_t>(1, (fileSize - 64) / 300)),
          list_(list),
          observer_(observer) {}

    void Run(std::int64_t p);

  private:
    struct End {
        std::int64_t Last;      // the range's last offset
        std::int64_t Y;         // where the forward search stopped
        std::int64_t RunStart;  // the zero run that ended it (or preceded the block start)
    };

    // Bytes the file does not hold are never zero and never start anything.
    bool ZeroAt(std::int64_t x) { return file_.ByteIs(x, 0); }
    // The word at x is its own offset and follows a zero byte: a message's first block.
    // Its first byte must be the offset's lowest, which rules out nearly every x at once.
    bool BlockStart(std::int64_t x) {
        return x >= 1 && ZeroAt(x - 1) && file_.ByteIs(x, static_cast<std::uint8_t>(x & 0xFF)) &&
               file_.Word(x) == static_cast<std::uint32_t>(x);
    }
    bool DateAt(std::int64_t x) { return file_.Matches(x, kDate); }
    std::optional<ZeroRun> NextRun(std::int64_t& from, std::int64_t to);
    ZeroRun RunAt(std::int64_t start, std::int64_t to);
    std::int64_t RunEnd(std::int64_t from, std::int64_t to);
    std::optional<std::int64_t> NextDate(std::int64_t p);
    std::optional<std::int64_t> FindStart(std::int64_t p, std::int64_t lowerBound);
    std::optional<End> FindEnd(std::int64_t p);

    void Update(std::int64_t labelPosition, std::int64_t scanPosition) {
        observer_.Progress(labelPosition, scanPosition, total_);
        observer_.ProcessPendingEvents();
    }
    bool Cancelled() {
        cancelled_ = cancelled_ || observer_.CancelRequested();
        return cancelled_;
    }
    // A cancel test once kCancelStride bytes have been walked since the last one.
    bool CancelledAfterWalking(std::int64_t bytes) {
        walked_ += bytes;
        if (walked_ < kCancelStride) return cancelled_;
        walked_ = 0;
        return Cancelled();
    }

    PagedFile& file_;
    std::int64_t total_;
    std::int64_t interval_;
    MessageList& list_;
    ScanObserver& observer_;
    bool cancelled_ = false;
    std::int64_t walked_ = 0;

    // The next "Date:" at or after the scan position: one search per occurrence.
    bool searched_ = false;
    std::optional<std::int64_t> nextDate_;

    // The backward answers: every byte below indexedTo_ has been looked at.
    std::int64_t indexedTo_ = 0;
    std::int64_t lastBlockStart_ = -1;      // highest block start whose zero byte is indexed
    std::int64_t previousBlockStart_ = -1;  // the one before it
    std::int64_t lastZeroRun_ = -1;         // highest x with 18 zero bytes from x, indexed

    // Once a forward search fails, every later one fails too: it looks at fewer offsets.
    bool forwardFailed_ = false;

    // No run that matters starts in [quietFrom_, quietTo_).
    std::int64_t quietFrom_ = 0;
    std::int64_t quietTo_ = 0;
};

// The next run of zero bytes from `from` on that matters to the searches, with `from` moved
// to its end; or nothing, with `from` moved on to `to`, or by at most kCancelStride bytes
// so that the caller can test for a cancel. `from` never lies inside a run that matters.
std::optional<ZeroRun> RecoveryScan::NextRun(std::int64_t& from, std::int64_t to) {
    const std::int64_t stop = std::min(to, from + kCancelStride);
    while (from < stop) {
        // A hostile file makes a candidate of every few bytes, each searching a few bytes
        // further: the stretch already known to hold no run is passed without a lookup.
        if (from >= quietFrom_ && from < quietTo_) {
            from = std::min(stop, quietTo_);
            continue;
        }
        const PagedFile::Runs listed = file_.RunsFrom(from);
        if (listed.To <= from) {
            // Past the end of the file's bytes.
            from = to;
            return std::nullopt;
        }
        const std::int64_t listedTo = listed.To;
        const std::vector<ZeroRun>& runs = *listed.List;
        const auto next =
            std::lower_bound(runs.begin(), runs.end(), from,
                             [](const ZeroRun& run, std::int64_t at) { return run.Start < at; });
        quietFrom_ = from;
        quietTo_ = next == runs.end() ? listedTo : std::min(listedTo, next->Start);
        if (quietTo_ > from) {
            from = std::min(stop, quietTo_);
            continue;
        }
        ZeroRun run = *next;
        // Judged again in the file where the page's bytes ran out, or where the file has
        // been found to end since the page was listed.
        if (!run.Complete || run.End > to || run.End + 4 > file_.End()) run = RunAt(run.Start, to);
        from = run.End;
        if (run.Matters()) return run;
    }
    return std::nullopt;
}

// The run of zero bytes that starts at start, and the block starts that follow it.
ZeroRun RecoveryScan::RunAt(std::int64_t start, std::int64_t to) {
    ZeroRun run{start, RunEnd(start, to), 0, true};
    // Inside a run the word is 0, which no offset above 0 equals: only the last three
    // offsets of a run and the one after it can start a block.
    for (std::int64_t x = std::max(start + 1, run.End - 3); x <= run.End; ++x) {
        if (BlockStart(x)) run.BlockStarts |= 1u << (x - (run.End - 3));
    }
    return run;
}

// The first offset at or after from whose byte is not zero, or to; a run ends where the
// file's bytes end.
std::int64_t RecoveryScan::RunEnd(std::int64_t from, std::int64_t to) {
    while (from < to) {
        const auto bytes = file_.From(from);
        if (bytes.empty()) return from;
        const std::size_t length = Clip(bytes.size(), to - from);
        std::size_t i = 0;
        // Zero runs fill the tail of every message's last block: eight bytes at a time.
        for (std::uint64_t eight = 0; i + 8 <= length; i += 8) {
            std::memcpy(&eight, bytes.data() + i, 8);
            if (eight != 0) break;
        }
        for (; i < length; ++i) {
            if (bytes[i] != 0) return from + static_cast<std::int64_t>(i);
        }
        from += static_cast<std::int64_t>(length);
    }
    return to;
}

std::optional<std::int64_t> RecoveryScan::NextDate(std::int64_t p) {
    // The scan only moves forward, so an occurrence found earlier stays the next one until
    // the scan passes it.
    if (searched_ && !(nextDate_ && *nextDate_ < p)) return nextDate_;
    searched_ = true;
    nextDate_.reset();
    // Colons are rare in mail text and absent from base64 attachments, the bulk of a
    // store: memchr finds each at memory speed, and "Date" must stand before it.
    for (std::int64_t colon = std::max<std::int64_t>(p + 4, 4); colon < file_.End();) {
        const auto bytes = file_.From(colon);
        if (bytes.empty()) break;
        const void* found = std::memchr(bytes.data(), ':', bytes.size());
        if (found == nullptr) {
            colon += static_cast<std::int64_t>(bytes.size());
            continue;
        }
        colon += static_cast<const std::uint8_t*>(found) - bytes.data();
        if (DateAt(colon - 4)) {
            nextDate_ = colon - 4;
            break;
        }
        ++colon;
    }
    return nextDate_;
}

std::optional<std::int64_t> RecoveryScan::FindStart(std::int64_t p, std::int64_t lowerBound) {
    // Index the zero bytes below p. The byte at p is the "D", so no zero run reaches it.
    // This runs even when the bound ends the search at once, so that every byte below p
    // is indexed: the forward search relies on that to spare the index a second walk.
    while (indexedTo_ < p) {
        const std::int64_t before = indexedTo_;
        if (const std::optional<ZeroRun> run = NextRun(indexedTo_, p)) {
            for (unsigned starts = run->BlockStarts; starts != 0; starts &= starts - 1) {
                previousBlockStart_ = lastBlockStart_;
                lastBlockStart_ = run->End - 3 + std::countr_zero(starts);
            }
            if (run->Long()) lastZeroRun_ = run->End - kZeroRunBytes;
        }
        if (CancelledAfterWalking(indexedTo_ - before)) return std::nullopt;
    }
    if (p - 1 < lowerBound) {
        // Offset p - 1 is examined even below the bound, and nothing else is.
        return BlockStart(p - 1) ? std::optional<std::int64_t>(p - 1) : std::nullopt;
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
    const std::int64_t end = file_.End();
    // The search gives up once y passes this (offset p + 1 is always examined).
    const std::int64_t giveUpAfter = std::max(p + 1, end - 100);
    // The rules make a progress point whenever y, moved on past p + 1, is a multiple of S.
    std::int64_t nextReport = ((p + 1) / interval_ + 1) * interval_;
    const auto reportUpTo = [&](std::int64_t y) {
        if (nextReport > y) return true;
        for (; nextReport <= y; nextReport += interval_) {
            if (Cancelled()) return false;
            Update(nextReport, p);
        }
        return !Cancelled();
    };

    std::int64_t from = p + 1;
    while (true) {
        const std::int64_t before = from;
        const std::optional<ZeroRun> run = NextRun(from, end);
        std::optional<End> found;
        if (run && run->Long()) {
            // Fifteen zero words end at Start + 14; the text ends before the run.
            found = End{run->Start - 1, run->Start + 14, run->Start};
        } else if (run) {
            found = End{run->FirstBlockStart(), run->FirstBlockStart(), run->Start};
        }
        if (CancelledAfterWalking(from - before)) return std::nullopt;
        if ((!run && from >= end) || (found && found->Y > giveUpAfter)) {
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
    // Counts down the main-loop iterations to the next progress point.
    std::int64_t untilUpdate = interval_;
    while (p < file_.End() - 64) {
        if (Cancelled()) return;
        if (--untilUpdate == 0) {
            untilUpdate = interval_;
            Update(p, p);
        }

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
                for (std::int64_t i = p; i < p + 5; ++i) hasD = hasD || file_.ByteIs(i, 'D');
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
        // The forward search found nothing that would index between p and the run that
        // ended it: the next backward search takes up from there.
        indexedTo_ = std::max(indexedTo_, end->RunStart);
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
    ScanForMessages(reader, path, startOffset, list, observer, PagedFile::kDefaultPageBytes);
}

void ScanForMessages(ReaderState& reader, const std::string& path, std::int32_t startOffset,
                     MessageList& list, ScanObserver& observer, std::size_t pageBytes) {
    // Opened for reading only, sharing reading and writing: the mail client may hold it.
    OpenFileSlot slot(reader, path, platform::ShareMode::ReadWrite);
    ObservedScan observed(observer, FileNamePart(path));
    const auto size = static_cast<std::int64_t>(slot.File().SizeAtOpen());
    PagedFile file(slot.File(), std::min(size, kPositionLimit), pageBytes);
    RecoveryScan scan(file, size, list, observer);
    scan.Run(startOffset);
}

}  // namespace dorvane
