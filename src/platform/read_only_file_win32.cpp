#include <windows.h>

#include <algorithm>
#include <utility>

#include "platform/platform_error.h"
#include "platform/read_only_file.h"
#include "platform/text_encoding.h"

namespace dorvane::platform {

ReadOnlyFile::ReadOnlyFile(const std::string& path, ShareMode share, SizeQuery /*size*/) {
    // CreateFileW refuses directories itself and the size is one cheap call, so it is asked
    // at once whatever the caller prefers.
    const DWORD shareFlags =
        share == ShareMode::ReadWrite ? (FILE_SHARE_READ | FILE_SHARE_WRITE) : 0;
    HANDLE file = ::CreateFileW(WideFromSystem(path).c_str(), GENERIC_READ, shareFlags, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw PlatformError(FormatErrorText("Cannot open file %s", path));
    handle_ = file;
    sizeAtOpen_ = Size();
    sizeKnown_ = true;
}

ReadOnlyFile::~ReadOnlyFile() {
    Close();
}

ReadOnlyFile::ReadOnlyFile(ReadOnlyFile&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)),
      mapping_(std::exchange(other.mapping_, nullptr)),
      sizeAtOpen_(other.sizeAtOpen_),
      sizeKnown_(other.sizeKnown_),
      mapped_(std::exchange(other.mapped_, nullptr)),
      mappedSize_(std::exchange(other.mappedSize_, 0)) {}

ReadOnlyFile& ReadOnlyFile::operator=(ReadOnlyFile&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = std::exchange(other.handle_, nullptr);
        sizeAtOpen_ = other.sizeAtOpen_;
        sizeKnown_ = other.sizeKnown_;
        mapping_ = std::exchange(other.mapping_, nullptr);
        mapped_ = std::exchange(other.mapped_, nullptr);
        mappedSize_ = std::exchange(other.mappedSize_, 0);
    }
    return *this;
}

void ReadOnlyFile::Close() noexcept {
    if (mapped_ != nullptr) ::UnmapViewOfFile(mapped_);
    if (mapping_ != nullptr) ::CloseHandle(mapping_);
    if (handle_ != nullptr) ::CloseHandle(handle_);
    mapped_ = nullptr;
    mappedSize_ = 0;
    mapping_ = nullptr;
    handle_ = nullptr;
}

std::uint64_t ReadOnlyFile::Size() const {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(handle_, &size) || size.QuadPart < 0) return 0;
    return static_cast<std::uint64_t>(size.QuadPart);
}

std::uint64_t ReadOnlyFile::SizeAtOpen() const {
    return sizeAtOpen_;
}

std::size_t ReadOnlyFile::ReadAt(std::uint64_t offset, std::span<std::uint8_t> buffer) const {
    std::size_t done = 0;
    while (done < buffer.size()) {
        OVERLAPPED at{};
        const std::uint64_t position = offset + done;
        at.Offset = static_cast<DWORD>(position & 0xFFFFFFFFu);
        at.OffsetHigh = static_cast<DWORD>(position >> 32);
        const std::size_t left = buffer.size() - done;
        const DWORD ask = left > 0x40000000u ? 0x40000000u : static_cast<DWORD>(left);
        DWORD got = 0;
        if (!::ReadFile(handle_, buffer.data() + done, ask, &got, &at) || got == 0) break;
        done += got;
    }
    return done;
}

std::span<const std::uint8_t> ReadOnlyFile::Map() {
    if (mapped_ == nullptr) {
        const std::uint64_t size = Size();
        if (size == 0 || size > SIZE_MAX) return {};
        mapping_ = ::CreateFileMappingW(handle_, nullptr, PAGE_READONLY, 0, 0, nullptr);
        if (mapping_ == nullptr) return {};
        void* view = ::MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, 0);
        if (view == nullptr) {
            ::CloseHandle(mapping_);
            mapping_ = nullptr;
            return {};
        }
        mapped_ = static_cast<const std::uint8_t*>(view);
        mappedSize_ = static_cast<std::size_t>(size);
    }
    return {mapped_, mappedSize_};
}

void ReadOnlyFile::ReleaseMappedPages(std::uint64_t offset, std::uint64_t length) const {
    if (mapped_ == nullptr || offset >= mappedSize_ || length == 0) return;
    const std::uint64_t end = std::min<std::uint64_t>(mappedSize_, offset + length);
    // Unlocking pages that are not locked trims them from the working set.
    ::VirtualUnlock(const_cast<std::uint8_t*>(mapped_ + offset), static_cast<SIZE_T>(end - offset));
}

}  // namespace dorvane::platform
