#include "ui/tools/existing_exports.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace dorvane {

namespace {

constexpr std::size_t kChunk = 1 << 16;

// The hash of a file's bytes; none is told apart from a read error by the later compare.
std::uint64_t HashFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::array<char, kChunk> buffer{};
    std::uint64_t hash = HashBytes({});
    while (in) {
        in.read(buffer.data(), buffer.size());
        hash = HashBytes({buffer.data(), static_cast<std::size_t>(in.gcount())}, hash);
    }
    return hash;
}

bool FileHolds(const std::string& path, std::string_view bytes) {
    std::ifstream in(path, std::ios::binary);
    std::array<char, kChunk> buffer{};
    std::size_t at = 0;
    while (in) {
        in.read(buffer.data(), buffer.size());
        const auto got = static_cast<std::size_t>(in.gcount());
        if (got > bytes.size() - at || bytes.compare(at, got, {buffer.data(), got}) != 0) {
            return false;
        }
        at += got;
    }
    return in.eof() && at == bytes.size();
}

}  // namespace

std::uint64_t HashBytes(std::string_view bytes, std::uint64_t seed) {
    std::uint64_t hash = seed;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

ExistingExports::ExistingExports(const std::string& directory) {
    std::error_code error;
    for (std::filesystem::directory_iterator it(directory, error), end; !error && it != end;
         it.increment(error)) {
        const auto& entry = *it;
        std::error_code ignored;
        if (!entry.is_regular_file(ignored) || entry.path().extension() != ".eml") continue;
        const std::uintmax_t size = entry.file_size(ignored);
        if (ignored) continue;
        bySize_[size].push_back({entry.path().string()});
    }
}

bool ExistingExports::Claim(std::string_view bytes) {
    const auto found = bySize_.find(bytes.size());
    if (found == bySize_.end()) return false;
    const std::uint64_t hash = HashBytes(bytes);
    for (Candidate& file : found->second) {
        if (file.Claimed) continue;
        if (!file.Hashed) {
            file.Hash = HashFile(file.Path);
            file.Hashed = true;
        }
        if (file.Hash == hash && FileHolds(file.Path, bytes)) {
            file.Claimed = true;
            return true;
        }
    }
    return false;
}

std::string ExistingExports::FreePath(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::exists(path, error) && !error) return path;
    const std::string stem = path.size() >= 4 && path.compare(path.size() - 4, 4, ".eml") == 0
                                 ? path.substr(0, path.size() - 4)
                                 : path;
    for (std::size_t k = 2;; ++k) {
        std::string candidate = stem + " (" + std::to_string(k) + ").eml";
        if (!std::filesystem::exists(candidate, error) && !error) return candidate;
        if (error) return candidate;  // the write will fail and be counted
    }
}

}  // namespace dorvane
