#include "ui/tools/export_naming.h"

#include <cctype>
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

namespace {

// Names Windows gives to devices in every directory: a folder called "CON" or "lpt1"
// could never be created there, and a store exported elsewhere is often copied there.
bool IsDeviceName(const std::string& name) {
    std::string upper;
    for (const char c : name)
        upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL") return true;
    return upper.size() == 4 &&
           (upper.compare(0, 3, "COM") == 0 || upper.compare(0, 3, "LPT") == 0) &&
           upper[3] >= '1' && upper[3] <= '9';
}

}  // namespace

std::string SafeDirectoryName(const std::string& folderName) {
    std::string name = MadeSafe(folderName);
    // A NUL byte cannot stand in a file name; an empty name would be the parent itself.
    for (char& c : name) {
        if (c == '\0') c = '_';
    }
    if (name.empty()) return "_";
    // Windows drops a trailing blank, which would make "Inbox " the same folder as "Inbox".
    if (name.back() == ' ') name.back() = '_';
    if (IsDeviceName(name)) name += '_';
    return name;
}

}  // namespace dorvane
