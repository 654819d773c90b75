#include "recovery/paged_file.h"

#include <algorithm>
#include <array>
#include <condition_variable>
#include <mutex>
#include <new>
#include <optional>
#include <system_error>
#include <thread>

namespace dorvane {

namespace {
// Pages read ahead of the one in use: enough that the readers never wait for the scan.
constexpr std::size_t kReadAheadPages = 16;
// Threads reading ahead, each a page at a time: copying is most of their work, and two
// copy nearly twice as fast as one.
constexpr std::size_t kReaders = 2;
// Smaller files, or pages, are read as they are needed: a thread would cost more than it
// saves.
constexpr std::int64_t kReadAheadFileBytes = std::int64_t{8} << 20;
constexpr std::size_t kReadAheadPageBytes = std::size_t{64} * 1024;
// Bytes read past each page, so that the runs starting near its end are judged without
// another read.
constexpr std::size_t kTailBytes = 64;

// How many bytes to read for the page at start: the page and its tail, as far as the file
// goes.
std::size_t ReadLength(std::int64_t start, std::int64_t end, std::size_t pageBytes) {
    return static_cast<std::size_t>(std::clamp<std::int64_t>(
        end - start, 0, static_cast<std::int64_t>(pageBytes + kTailBytes)));
}

// A page's list of runs stays small whatever the page holds: a crafted page could hold a
// run that matters every few bytes, and then is listed a part at a time.
constexpr std::size_t kMostRunsListed = 4096;

// Lists the runs of the page at start, from offset on; read: the bytes read for the page,
// page and tail. Returns where the list ends.
std::int64_t ListRuns(std::span<const std::uint8_t> read, std::int64_t start, std::int64_t offset,
                      std::size_t pageBytes, std::vector<ZeroRun>& runs) {
    runs.clear();
    // A read shorter than asked for ends where the file ends.
    const std::size_t to =
        ListZeroRuns(read, start, static_cast<std::size_t>(offset - start), pageBytes,
                     read.size() < pageBytes + kTailBytes, kMostRunsListed, runs);
    return start + static_cast<std::int64_t>(to);
}
}  // namespace

// Reads and lists the pages that follow the last one taken, on threads of its own. The
// pages ahead form a window [first_, first_ + kReadAheadPages); page i goes into slot i
// modulo the window's size. Taking a page from the window moves the window past it; asking
// for a page beyond it moves the window after that page. A reader claims a slot under the
// lock and works on it alone; the scan only takes a slot once it is complete.
class PagedFile::ReadAhead {
  public:
    ReadAhead(const platform::ReadOnlyFile& file, std::int64_t end, std::size_t pageBytes)
        : file_(file), end_(end), pageBytes_(pageBytes) {
        // Allocated here, so that the thread never needs to allocate for the bytes.
        for (Slot& slot : slots_) slot.Bytes.resize(pageBytes_ + kTailBytes);
        try {
            for (std::thread& reader : threads_) reader = std::thread([this] { Run(); });
        } catch (...) {
            Stop();
            throw;
        }
    }

    ~ReadAhead() { Stop(); }

    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // Page index into page, swapping buffers; false when index is not being read ahead,
    // and the caller reads it.
    bool Take(std::int64_t index, Page& page) {
        if (page.Bytes.size() < pageBytes_ + kTailBytes) page.Bytes.resize(pageBytes_ + kTailBytes);
        std::unique_lock lock(mutex_);
        if (index < first_) return false;  // behind the scan: salvage looks back
        if (index >= first_ + static_cast<std::int64_t>(kReadAheadPages)) {
            first_ = index + 1;
            lock.unlock();
            wake_.notify_all();
            return false;
        }
        Slot& slot = SlotOf(index);
        ready_.wait(lock, [&] { return slot.Index == index && slot.Complete; });
        page.Bytes.swap(slot.Bytes);
        page.Runs.swap(slot.Runs);
        page.Read = slot.Read;
        page.ListedFrom = slot.ListedFrom;
        page.ListedTo = slot.ListedTo;
        slot.Index = -1;
        slot.Complete = false;
        first_ = index + 1;
        lock.unlock();
        wake_.notify_all();
        return true;
    }

  private:
    struct Slot {
        std::int64_t Index = -1;
        // A reader is at work on it: no other may take it over.
        bool Busy = false;
        bool Complete = false;
        std::size_t Read = 0;
        std::vector<std::uint8_t> Bytes;
        std::int64_t ListedFrom = 0;
        std::int64_t ListedTo = 0;
        std::vector<ZeroRun> Runs;
    };

    void Stop() {
        {
            const std::lock_guard lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        for (std::thread& reader : threads_) {
            if (reader.joinable()) reader.join();
        }
    }

    Slot& SlotOf(std::int64_t index) {
        return slots_[static_cast<std::size_t>(index) % kReadAheadPages];
    }

    void Run() {
        std::unique_lock lock(mutex_);
        while (true) {
            std::optional<std::int64_t> wanted;
            wake_.wait(lock, [&] {
                wanted = NextToRead();
                return stop_ || wanted;
            });
            if (stop_) return;
            Slot& slot = SlotOf(*wanted);
            slot.Index = *wanted;
            slot.Complete = false;
            slot.Busy = true;
            lock.unlock();
            const std::int64_t start = *wanted * static_cast<std::int64_t>(pageBytes_);
            slot.Read =
                file_.ReadAt(static_cast<std::uint64_t>(start),
                             std::span(slot.Bytes.data(), ReadLength(start, end_, pageBytes_)));
            slot.ListedFrom = start;
            slot.ListedTo = start;  // nothing listed yet: the scan lists what it needs
            try {
                slot.ListedTo = ListRuns(std::span(slot.Bytes.data(), slot.Read), start, start,
                                         pageBytes_, slot.Runs);
            } catch (const std::bad_alloc&) {
                slot.Runs.clear();
            }
            lock.lock();
            // The window may have moved on meanwhile; the bytes are still those of the page.
            slot.Busy = false;
            slot.Complete = true;
            ready_.notify_one();
        }
    }

    // The first page of the window that its slot does not hold yet, and is free to.
    std::optional<std::int64_t> NextToRead() {
        for (std::int64_t index = first_;
             index < first_ + static_cast<std::int64_t>(kReadAheadPages); ++index) {
            if (index * static_cast<std::int64_t>(pageBytes_) >= end_) break;
            const Slot& slot = SlotOf(index);
            if (slot.Index != index && !slot.Busy) return index;
        }
        return std::nullopt;
    }

    const platform::ReadOnlyFile& file_;
    const std::int64_t end_;
    const std::size_t pageBytes_;
    std::mutex mutex_;
    std::condition_variable wake_;   // for the reader: the window moved, or stop
    std::condition_variable ready_;  // for the scan: a page is complete
    std::array<Slot, kReadAheadPages> slots_;
    std::int64_t first_ = 0;
    bool stop_ = false;
    std::array<std::thread, kReaders> threads_;
};

PagedFile::PagedFile(platform::ReadOnlyFile& file, std::int64_t size, std::size_t pageBytes)
    : file_(file),
      end_(std::max<std::int64_t>(size, 0)),
      pageBytes_(std::max<std::size_t>(pageBytes, 1)),
      pages_(kPageCount) {
    if (end_ >= kReadAheadFileBytes && pageBytes_ >= kReadAheadPageBytes) {
        try {
            readAhead_ = std::make_unique<ReadAhead>(file_, end_, pageBytes_);
        } catch (const std::system_error&) {
            // No thread to be had: the pages are read as they are needed.
        } catch (const std::bad_alloc&) {
        }
    }
}

PagedFile::~PagedFile() = default;

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
    victim->Index = -1;
    if (!readAhead_ || !readAhead_->Take(index, *victim)) {
        const std::size_t length = ReadLength(start, end_, pageBytes_);
        // A small file needs no more than its own size.
        if (victim->Bytes.size() < length) victim->Bytes.resize(length);
        victim->Read = file_.ReadAt(static_cast<std::uint64_t>(start),
                                    std::span(victim->Bytes.data(), length));
        victim->ListedFrom = start;
        victim->ListedTo = start;
    }
    victim->Index = index;
    victim->LastUse = uses_;
    // Pages read ahead may have been read before the file was found shorter.
    victim->Length = std::min(victim->Read, wanted);
    // A short read means the file was shortened after we opened it: it ends here now,
    // also for the page used last.
    if (victim->Length < wanted) {
        end_ = start + static_cast<std::int64_t>(victim->Length);
        recentLength_ = 0;
    }
    return *victim;
}

PagedFile::Runs PagedFile::RunsFrom(std::int64_t offset) {
    static const std::vector<ZeroRun> none;
    const auto bytes = From(offset);
    if (bytes.empty()) return {&none, offset};
    Page& page = *recentPage_;
    if (offset < page.ListedFrom || offset >= page.ListedTo) {
        const std::int64_t start = page.Index * static_cast<std::int64_t>(pageBytes_);
        page.ListedFrom = offset;
        page.ListedTo = offset;
        page.ListedTo =
            ListRuns(std::span(page.Bytes.data(), page.Read), start, offset, pageBytes_, page.Runs);
    }
    // The page may hold bytes past an end found since it was read.
    return {&page.Runs, std::min(page.ListedTo, offset + static_cast<std::int64_t>(bytes.size()))};
}

std::span<const std::uint8_t> PagedFile::FromAnotherPage(std::int64_t offset) {
    if (offset < 0 || offset >= end_) return {};
    const std::int64_t index = offset / static_cast<std::int64_t>(pageBytes_);
    Page& page = Load(index);
    recentPage_ = &page;
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
