#pragma once

#include <array>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/read_only_file.h"

namespace dorvane {

// Reads the stretch of a file that follows where a forward stream of reads has got to, on
// a thread of its own, so that copying the bytes out of the system's cache runs beside the
// reader's work on them rather than before it. The index walk of a large folder reads most
// of the file this way, and copying it costs about as much as making its records.
//
// The stretch ahead is cut into chunks of kChunkBytes from a base; chunk i holds
// [base + i * kChunkBytes, base + (i + 1) * kChunkBytes + kOverlapBytes), so that a request
// of up to kOverlapBytes starting anywhere in a chunk lies wholly in it. kChunks chunks are
// read ahead of the first one not yet taken. A quarter of a megabyte copies fastest: the
// chunks in hand then still fit the processor's caches, and the hand-overs stay few.
class StreamReadAhead {
  public:
    static constexpr std::size_t kChunkBytes = std::size_t{256} * 1024;
    static constexpr std::size_t kOverlapBytes = std::size_t{16} * 1024;
    static constexpr std::size_t kChunks = 8;

    // Reads ahead from base on, no further than size. Throws std::system_error when no
    // thread can be had.
    StreamReadAhead(const platform::ReadOnlyFile& file, std::uint64_t size, std::uint64_t base);
    ~StreamReadAhead();
    StreamReadAhead(const StreamReadAhead&) = delete;
    StreamReadAhead& operator=(const StreamReadAhead&) = delete;

    // Reads ahead from base on, dropping what was read ahead from anywhere else.
    void Follow(std::uint64_t base);

    struct Chunk {
        std::uint64_t Offset;
        std::size_t Length;
    };
    // When [start, start + length) lies in a chunk read ahead, waits for it if need be,
    // swaps its bytes into `into` and tells where they lie in the file; the chunks before it
    // are dropped. Nothing when the request is not in the stretch ahead (or not wholly in
    // what its chunk could read), and the caller reads it itself.
    std::optional<Chunk> Take(std::uint64_t start, std::size_t length,
                              std::vector<std::uint8_t>& into);

  private:
    struct Slot {
        std::uint64_t Index = 0;
        std::uint64_t Generation = 0;  // which base the chunk was read from
        bool Held = false;             // Index and Generation say what it holds or will
        bool Busy = false;             // the thread is reading into it
        bool Complete = false;
        std::size_t Read = 0;
        std::vector<std::uint8_t> Bytes;
    };

    void Run();
    // The first chunk of the window that no slot holds yet and whose slot is free.
    std::optional<std::uint64_t> NextToRead() const;
    Slot& SlotOf(std::uint64_t index) { return slots_[index % kChunks]; }
    const Slot& SlotOf(std::uint64_t index) const { return slots_[index % kChunks]; }
    bool Holds(const Slot& slot, std::uint64_t index) const {
        return slot.Held && slot.Index == index && slot.Generation == generation_;
    }

    const platform::ReadOnlyFile& file_;
    const std::uint64_t size_;
    std::mutex mutex_;
    std::condition_variable wake_;   // for the thread: the window moved, or stop
    std::condition_variable ready_;  // for the reader: a chunk is complete
    std::array<Slot, kChunks> slots_;
    std::uint64_t base_ = 0;
    std::uint64_t generation_ = 0;
    std::uint64_t first_ = 0;
    bool stop_ = false;
    std::thread thread_;
};

}  // namespace dorvane
