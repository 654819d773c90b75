#pragma once

#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "platform/read_only_file.h"

namespace dorvane {

// Bounds-checked access to the bytes of a file in the reader's slot. Every read of a mail
// file goes through here: a request is clipped to the file, so a caller can never see a
// byte the file does not hold.
//
// Two ways of reaching the bytes: the index walk jumps all over the file and maps it; the
// text readers follow a short chain of blocks and read through one buffer, which costs
// far less than mapping a large file for a few kilobytes.
class FileWindow {
  public:
    enum class Access { Mapped, Buffered };

    // scratch: where buffered reads land; the caller may keep it between files to save
    // allocating it for every message.
    FileWindow(platform::ReadOnlyFile& file, Access access, std::vector<std::uint8_t>& scratch);
    FileWindow(platform::ReadOnlyFile& file, Access access)
        : FileWindow(file, access, ownBuffer_) {}

    // The file's size; a buffered window asks for it only here, as most reads never need it.
    std::uint64_t Size() const { return useMapping_ ? size_ : file_.SizeAtOpen(); }
    bool IsMapped() const { return useMapping_; }

    // The bytes at [offset, offset + length), clipped to the file: shorter (or empty) where
    // the file ends. The span stays valid until the next call.
    std::span<const std::uint8_t> Bytes(std::int64_t offset, std::size_t length);

  private:
    platform::ReadOnlyFile& file_;
    std::uint64_t size_ = 0;
    std::span<const std::uint8_t> mapped_;
    bool useMapping_ = false;
    std::uint32_t mappedAccesses_ = 0;
    std::vector<std::uint8_t> ownBuffer_;
    std::vector<std::uint8_t>& buffer_;
    std::int64_t bufferOffset_ = -1;
    std::size_t bufferLength_ = 0;
    std::size_t nextReadSize_ = 0;
};

inline std::uint32_t LoadU32(const std::uint8_t* at) {
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

inline std::int32_t LoadI32(const std::uint8_t* at) {
    return static_cast<std::int32_t>(LoadU32(at));
}

}  // namespace dorvane
