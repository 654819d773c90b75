#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace dorvane::platform {

// How much of a file other programs may keep using while we hold it open. On Windows this
// is the share mode of CreateFile; elsewhere files are not locked and both behave alike.
enum class ShareMode {
    ReadWrite,  // FILE_SHARE_READ | FILE_SHARE_WRITE: the mail client may keep the file open
    Exclusive,  // 0: the open fails while anybody else holds the file
};

// When the opener learns the file's size. The text readers open the file once for every
// message and seldom need its size, so they leave the question until it is asked: on
// systems where a system call is dear, asking at every open costs a tenth of reading a
// short message.
enum class SizeQuery {
    AtOpen,
    WhenAsked,
};

// A mail file opened for reading only. Nothing in this program ever writes to a DBX file,
// and this class has no way to.
class ReadOnlyFile {
  public:
    // Throws PlatformError("Cannot open file <path>") when the file cannot be opened. With
    // SizeQuery::WhenAsked a path that names a directory may open; its reads then give
    // nothing and NamesDirectory() tells, so that the caller can fail as the open would.
    ReadOnlyFile(const std::string& path, ShareMode share, SizeQuery size = SizeQuery::AtOpen);
    ~ReadOnlyFile();
    ReadOnlyFile(ReadOnlyFile&& other) noexcept;
    ReadOnlyFile& operator=(ReadOnlyFile&& other) noexcept;
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    // The size as the file system tells it now; files we read may grow while we read them.
    std::uint64_t Size() const;
    // The size when the file was opened (or, with SizeQuery::WhenAsked, when first asked),
    // without asking the system again.
    std::uint64_t SizeAtOpen() const;

    // Reads up to buffer.size() bytes at offset; returns how many were read (fewer at the
    // end of the file, 0 past it or on a read error).
    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> buffer) const;

    // True once a read has found that the path opened names a directory (possible only with
    // SizeQuery::WhenAsked, which leaves that check to the first read).
    bool NamesDirectory() const { return namesDirectory_; }

    // The whole file mapped into memory, read-only; empty for an empty file or when the
    // system cannot map it (callers then fall back to ReadAt).
    std::span<const std::uint8_t> Map();

    // Lets the system take back the mapped pages of [offset, offset + length) that we
    // touched. Walking a big file's index touches pages all over it; dropping them now and
    // then keeps our resident set small while the pages stay in the system's cache. Only the
    // range is dropped, so threads reading other parts of the mapping keep their pages.
    // The mapping is only read once made, so this may be called from any thread.
    void ReleaseMappedPages(std::uint64_t offset, std::uint64_t length) const;

  private:
    void Close() noexcept;

#ifdef _WIN32
    void* handle_ = nullptr;
    void* mapping_ = nullptr;
#else
    int fd_ = -1;
#endif
    mutable std::uint64_t sizeAtOpen_ = 0;
    mutable bool sizeKnown_ = false;
    mutable bool namesDirectory_ = false;
    const std::uint8_t* mapped_ = nullptr;
    std::size_t mappedSize_ = 0;
};

}  // namespace dorvane::platform
