#include "store/stream_read_ahead.h"

#include <algorithm>
#include <new>
#include <span>

namespace dorvane {

StreamReadAhead::StreamReadAhead(const platform::ReadOnlyFile& file, std::uint64_t size,
                                 std::uint64_t base)
    : file_(file), size_(size), base_(base) {
    thread_ = std::thread([this] { Run(); });
}

StreamReadAhead::~StreamReadAhead() {
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void StreamReadAhead::Follow(std::uint64_t base) {
    {
        const std::lock_guard lock(mutex_);
        base_ = base;
        first_ = 0;
        ++generation_;
    }
    wake_.notify_all();
}

std::optional<StreamReadAhead::Chunk> StreamReadAhead::Take(std::uint64_t start, std::size_t length,
                                                            std::vector<std::uint8_t>& into) {
    std::unique_lock lock(mutex_);
    if (start < base_) return std::nullopt;
    const std::uint64_t index = (start - base_) / kChunkBytes;
    const std::uint64_t chunkStart = base_ + index * kChunkBytes;
    // A request the chunk cannot hold is left to the caller, without waiting for it.
    if (index < first_ || index >= first_ + kChunks ||
        start - chunkStart + length > kChunkBytes + kOverlapBytes) {
        return std::nullopt;
    }
    Slot& slot = SlotOf(index);
    if (index > first_) {
        // The stream has passed the chunks before this one: the thread need not read them.
        first_ = index;
        wake_.notify_all();
    }
    ready_.wait(lock, [&] { return Holds(slot, index) && slot.Complete; });
    if (start + length > chunkStart + slot.Read) return std::nullopt;
    into.swap(slot.Bytes);
    const Chunk chunk{chunkStart, slot.Read};
    slot.Held = false;
    slot.Complete = false;
    first_ = index + 1;
    lock.unlock();
    wake_.notify_all();
    return chunk;
}

std::optional<std::uint64_t> StreamReadAhead::NextToRead() const {
    for (std::uint64_t index = first_; index < first_ + kChunks; ++index) {
        if (base_ + index * kChunkBytes >= size_) break;
        const Slot& slot = SlotOf(index);
        if (!Holds(slot, index) && !slot.Busy) return index;
    }
    return std::nullopt;
}

void StreamReadAhead::Run() {
    std::unique_lock lock(mutex_);
    while (true) {
        std::optional<std::uint64_t> wanted;
        wake_.wait(lock, [&] {
            wanted = NextToRead();
            return stop_ || wanted;
        });
        if (stop_) return;
        Slot& slot = SlotOf(*wanted);
        slot.Index = *wanted;
        slot.Generation = generation_;
        slot.Held = true;
        slot.Busy = true;
        slot.Complete = false;
        const std::uint64_t start = base_ + *wanted * kChunkBytes;
        lock.unlock();
        const auto length = static_cast<std::size_t>(
            std::min<std::uint64_t>(kChunkBytes + kOverlapBytes, size_ - start));
        std::size_t read = 0;
        try {
            if (slot.Bytes.size() < length) slot.Bytes.resize(length);
            read = file_.ReadAt(start, std::span(slot.Bytes.data(), length));
        } catch (const std::bad_alloc&) {
            // The reader finds nothing read and reads the chunk itself.
        }
        lock.lock();
        slot.Read = read;
        slot.Busy = false;
        slot.Complete = true;
        ready_.notify_all();
    }
}

}  // namespace dorvane
