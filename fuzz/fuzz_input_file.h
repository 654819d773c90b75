#pragma once

#ifdef __linux__
#include <sys/mman.h>
#include <unistd.h>
#endif

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

namespace dorvane::fuzzing {

// The reader takes paths, so each input becomes a file first. On Linux the file lives in
// memory (memfd) and is reached through a link of the wanted name (folders.dbx selects
// catalogue mode), which keeps a run at tens of thousands of inputs a second; elsewhere
// it is an ordinary file in a private directory.
inline std::string WriteInput(const std::string& name, const std::uint8_t* data, std::size_t size) {
    static const std::filesystem::path dir = [] {
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        auto path = std::filesystem::temp_directory_path() /
                    ("dorvane-fuzz-" + std::to_string(stamp));
        std::filesystem::create_directories(path);
        return path;
    }();
    const std::string path = (dir / name).string();
#ifdef __linux__
    static std::map<std::string, int> files;
    auto [entry, isNew] = files.try_emplace(name, -1);
    if (isNew) {
        entry->second = ::memfd_create(name.c_str(), MFD_CLOEXEC);
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
        std::filesystem::create_symlink(
            "/proc/" + std::to_string(::getpid()) + "/fd/" + std::to_string(entry->second), path);
    }
    if (entry->second >= 0 && ::ftruncate(entry->second, 0) == 0 &&
        ::pwrite(entry->second, data, size, 0) == static_cast<ssize_t>(size)) {
        return path;
    }
#endif
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return path;
}

}  // namespace dorvane::fuzzing
