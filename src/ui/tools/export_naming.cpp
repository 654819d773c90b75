#include "ui/tools/export_naming.h"

#include <string_view>

#include "store/store_paths.h"

namespace dorvane {

namespace {

constexpr std::size_t kLongestBaseName = 90;

std::string MadeSafe(std::string name) {
    constexpr std::string_view kReplacedByDash = ":\\/*\"<>|?'.";
    for (char& c : name) {
        if (kReplacedByDash.find(c) != std::string_view::npos) c = '-';
    }
    // Lengths count the bytes of the text, so a double-byte character counts twice.
    if (name.size() > kLongestBaseName) name.resize(kLongestBaseName);
    for (char& c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 1 && byte <= 31) || byte == '%' || byte >= 127) c = '_';
    }
    return name;
}

}  // namespace

std::string BuildExportFileName(const std::string& from, const std::string& subject,
                                const std::string& received) {
    return MadeSafe(from + "_" + subject + "_" + received);
}

std::string ExportFilePath(const std::string& directory, std::size_t sequence,
                           const std::string& baseName) {
    return WithTrailingDelimiter(directory) + std::to_string(sequence) + "_" + baseName + ".eml";
}

std::string SafeDirectoryName(const std::string& folderName) {
    std::string name = MadeSafe(folderName);
    // A NUL byte cannot stand in a file name; an empty name would be the parent itself.
    for (char& c : name) {
        if (c == '\0') c = '_';
    }
    return name.empty() ? "_" : name;
}

}  // namespace dorvane
