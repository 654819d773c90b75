#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace dorvane::fuzzing {

// The reader takes paths, so each input is written to a file first: one private directory
// per process, the file named as the target needs (folders.dbx selects catalogue mode).
inline std::string WriteInput(const std::string& name, const std::uint8_t* data, std::size_t size) {
    static const std::filesystem::path dir = [] {
        auto path =
            std::filesystem::temp_directory_path() / ("dorvane-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
        return path;
    }();
    const std::string path = (dir / name).string();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return path;
}

}  // namespace dorvane::fuzzing
