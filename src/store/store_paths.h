#pragma once

#include <string>

namespace dorvane {

// The platform's path delimiter: a backslash on Windows, a slash elsewhere.
#ifdef _WIN32
inline constexpr char kPathDelimiter = '\\';
#else
inline constexpr char kPathDelimiter = '/';
#endif

// The file-name part of a path: what follows the last delimiter (on Windows also the last
// drive colon).
std::string FileNamePart(const std::string& path);

// The directory part, up to and including the last delimiter; empty when there is none.
std::string DirectoryPart(const std::string& path);

// True when file's directory part is exactly directory with a delimiter appended (unless
// it ends in one): the exact, case-sensitive test of whether a file lies in the store.
bool LiesInDirectory(const std::string& file, const std::string& directory);

// directory with a delimiter appended unless it already ends in one.
std::string WithTrailingDelimiter(const std::string& directory);

}  // namespace dorvane
