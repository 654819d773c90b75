#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "platform/platform_error.h"
#include "platform/read_only_file.h"

namespace dorvane::platform {

ReadOnlyFile::ReadOnlyFile(const std::string& path, ShareMode /*share*/, SizeQuery size) {
    // POSIX has no share modes: other programs are never kept out, whatever the caller asks.
    do {
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd_ < 0 && errno == EINTR);
    // A directory opens for reading here; asking now would cost a system call on every
    // message, so the first read tells instead (see NamesDirectory).
    if (fd_ >= 0 && size == SizeQuery::WhenAsked) return;
    struct stat info {};
    if (fd_ >= 0 && (::fstat(fd_, &info) != 0 || S_ISDIR(info.st_mode))) Close();
    if (fd_ < 0) throw PlatformError(FormatErrorText("Cannot open file %s", path));
    sizeAtOpen_ = info.st_size > 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
    sizeKnown_ = true;
}

ReadOnlyFile::~ReadOnlyFile() {
    Close();
}

ReadOnlyFile::ReadOnlyFile(ReadOnlyFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      sizeAtOpen_(other.sizeAtOpen_),
      sizeKnown_(other.sizeKnown_),
      namesDirectory_(other.namesDirectory_),
      mapped_(std::exchange(other.mapped_, nullptr)),
      mappedSize_(std::exchange(other.mappedSize_, 0)) {}

ReadOnlyFile& ReadOnlyFile::operator=(ReadOnlyFile&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, -1);
        sizeAtOpen_ = other.sizeAtOpen_;
        sizeKnown_ = other.sizeKnown_;
        namesDirectory_ = other.namesDirectory_;
        mapped_ = std::exchange(other.mapped_, nullptr);
        mappedSize_ = std::exchange(other.mappedSize_, 0);
    }
    return *this;
}

void ReadOnlyFile::Close() noexcept {
    if (mapped_ != nullptr) ::munmap(const_cast<std::uint8_t*>(mapped_), mappedSize_);
    mapped_ = nullptr;
    mappedSize_ = 0;
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

std::uint64_t ReadOnlyFile::Size() const {
    struct stat info {};
    if (::fstat(fd_, &info) != 0 || info.st_size < 0) return 0;
    return static_cast<std::uint64_t>(info.st_size);
}

std::uint64_t ReadOnlyFile::SizeAtOpen() const {
    if (!sizeKnown_) {
        sizeAtOpen_ = Size();
        sizeKnown_ = true;
    }
    return sizeAtOpen_;
}

std::size_t ReadOnlyFile::ReadAt(std::uint64_t offset, std::span<std::uint8_t> buffer) const {
    std::size_t done = 0;
    while (done < buffer.size()) {
        const ssize_t got = ::pread(fd_, buffer.data() + done, buffer.size() - done,
                                    static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 && errno == EISDIR) namesDirectory_ = true;
        if (got <= 0) break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

std::span<const std::uint8_t> ReadOnlyFile::Map() {
    if (mapped_ == nullptr) {
        const std::uint64_t size = Size();
        if (size == 0 || size > SIZE_MAX) return {};
        void* address =
            ::mmap(nullptr, static_cast<std::size_t>(size), PROT_READ, MAP_SHARED, fd_, 0);
        if (address == MAP_FAILED) return {};
        mapped_ = static_cast<const std::uint8_t*>(address);
        mappedSize_ = static_cast<std::size_t>(size);
    }
    return {mapped_, mappedSize_};
}

void ReadOnlyFile::ReleaseMappedPages(std::uint64_t offset, std::uint64_t length) const {
    if (mapped_ == nullptr || offset >= mappedSize_ || length == 0) return;
    // madvise takes whole pages, from the page the range starts in.
    static const auto pageSize = static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
    const std::uint64_t start = offset - offset % pageSize;
    const std::uint64_t end = std::min<std::uint64_t>(mappedSize_, offset + length);
    ::madvise(const_cast<std::uint8_t*>(mapped_ + start), static_cast<std::size_t>(end - start),
              MADV_DONTNEED);
}

}  // namespace dorvane::platform
