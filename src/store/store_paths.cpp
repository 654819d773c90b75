#include "store/store_paths.h"

namespace dorvane {

namespace {
std::string::size_type LastDelimiter(const std::string& path) {
#ifdef _WIN32
    return path.find_last_of("\\:");
#else
    return path.rfind(kPathDelimiter);
#endif
}
}  // namespace

std::string FileNamePart(const std::string& path) {
    const auto at = LastDelimiter(path);
    return at == std::string::npos ? path : path.substr(at + 1);
}

std::string DirectoryPart(const std::string& path) {
    const auto at = path.rfind(kPathDelimiter);
    return at == std::string::npos ? std::string() : path.substr(0, at + 1);
}

bool LiesInDirectory(const std::string& file, const std::string& directory) {
    return DirectoryPart(file) == WithTrailingDelimiter(directory);
}

std::string WithTrailingDelimiter(const std::string& directory) {
    if (!directory.empty() && directory.back() == kPathDelimiter) return directory;
    return directory + kPathDelimiter;
}

}  // namespace dorvane
