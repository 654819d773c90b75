#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

#include "platform/read_only_file.h"

namespace dorvane {

// Bounds-checked access to the bytes of a file in the reader's slot. Every read of a mail
// file goes through here: a request is clipped to the file, so a caller can never see a
// byte the file does not hold.
//
// Two ways of reaching the bytes:
// - Buffered: the text readers follow a short chain of blocks and read through one buffer,
//   which costs far less than mapping a large file for a few kilobytes.
// - Walked: the index walk goes through the file record after record, mostly forward, with
//   jumps to the index nodes. While the records lie close together, copying long
//   stretches of the file into a few buffers costs about a third of what mapping does
//   (every page mapped is a change to the page tables, which on a virtual machine costs
//   more than copying the page). The window weighs what its copies cost against what
//   mapping would, and once the reads are too scattered or too sparse for copies to pay,
//   it reads in place for the rest of the walk, as it always does for a request too long
//   for a stretch.
//   On a large file, copying costs about as much as making the records from the copies.
//   So once the walk reads steadily forward, a thread copies the stretch ahead of it (see
//   StreamReadAhead), and the two run side by side; the walk takes the stretches the
//   thread has read instead of reading them itself.
// - Sharing a walked window's mapping: threads that make the records of a large index side
//   by side each read in place, through windows of their own over the one mapping.
class StreamReadAhead;

class FileWindow {
  public:
    enum class Access { Buffered, Walked };

    // scratch: where buffered reads land; the caller may keep it between files to save
    // allocating it for every message.
    FileWindow(platform::ReadOnlyFile& file, Access access, std::vector<std::uint8_t>& scratch);
    FileWindow(platform::ReadOnlyFile& file, Access access)
        : FileWindow(file, access, ownBuffer_) {}
    // A window that reads in place through the mapping of a walked window over the same
    // file, for a thread that makes records beside other threads. Unlike the file's Map(),
    // this is safe on any thread: the mapping is made already and is only read.
    struct SharingMapping {};
    FileWindow(const FileWindow& walked, SharingMapping);
    ~FileWindow();
    FileWindow(const FileWindow&) = delete;
    FileWindow& operator=(const FileWindow&) = delete;

    // The file's size; a buffered window asks for it only here, as most reads never need it.
    std::uint64_t Size() const { return useMapping_ ? size_ : file_.SizeAtOpen(); }
    // Whether a walked window still copies stretches, or has turned to reading in place.
    bool Copying() const { return copying_; }
    // Whether the window has the file mapped, which other windows may then share.
    bool Mapped() const { return useMapping_; }
    // How many stretches the walk took from what a thread read ahead of it.
    std::uint64_t ChunksTakenAhead() const { return chunksTakenAhead_; }

    // The bytes at [offset, offset + length), clipped to the file: shorter (or empty) where
    // the file ends. The span stays valid until the next call.
    std::span<const std::uint8_t> Bytes(std::int64_t offset, std::size_t length);

    // A hint that [offset, offset + length) will be read soon: a window reading in place asks
    // the processor to start loading those bytes, so that they are at hand when asked for.
    // It reads nothing and cannot fault, and a window that copies or buffers ignores it.
    void Prefetch(std::int64_t offset, std::size_t length) const;

  private:
    // A stretch of the file copied into memory, for the walk.
    struct Stretch {
        std::vector<std::uint8_t> Bytes;
        std::uint64_t Offset = 0;
        std::size_t Length = 0;
        std::size_t ReadSize = 0;  // what was asked for; 0 while the stretch holds nothing
        std::uint64_t LastUse = 0;
    };

    std::span<const std::uint8_t> MappedBytes(std::uint64_t start, std::size_t length);
    std::span<const std::uint8_t> BufferedBytes(std::int64_t offset, std::size_t length);
    // From the walk's stretches, reading one if need be; empty once copying no longer pays,
    // which leaves the request to the mapping.
    std::span<const std::uint8_t> CopiedBytes(std::uint64_t start, std::size_t length);
    // Reads [start, start + want) into the stretch, or takes the chunk holding the request
    // from what was read ahead; returns what that cost, in the cost model's bytes.
    std::uint64_t Fill(Stretch& into, std::uint64_t start, std::size_t length, std::size_t want);
    void StopCopying();
    // Another program may cut the file short while we walk it (a read then comes back short).
    // Its bytes past the new end are gone, and touching them through the mapping would
    // fault, so the window ends where the file now does.
    void NoteFileEnd();

    platform::ReadOnlyFile& file_;
    std::uint64_t size_ = 0;
    std::span<const std::uint8_t> mapped_;
    bool useMapping_ = false;
    std::uint32_t mappedAccesses_ = 0;
    // The mapped bytes touched since pages were last handed back: [touchedFrom_, touchedTo_).
    std::uint64_t touchedFrom_ = UINT64_MAX;
    std::uint64_t touchedTo_ = 0;
    std::vector<std::uint8_t> ownBuffer_;
    std::vector<std::uint8_t>& buffer_;
    std::int64_t bufferOffset_ = -1;
    std::size_t bufferLength_ = 0;
    std::size_t nextReadSize_ = 0;

    // The walk's copying, while it pays.
    bool copying_ = false;
    std::array<Stretch, 4> stretches_;
    std::uint64_t uses_ = 0;
    std::uint64_t requests_ = 0;
    std::uint64_t copyCost_ = 0;
    std::unique_ptr<StreamReadAhead> readAhead_;
    bool readAheadFailed_ = false;
    std::uint32_t readsSinceTaken_ = 0;
    std::uint64_t chunksTakenAhead_ = 0;
};

inline std::uint32_t LoadU32(const std::uint8_t* at) {
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

inline std::int32_t LoadI32(const std::uint8_t* at) {
    return static_cast<std::int32_t>(LoadU32(at));
}

}  // namespace dorvane
