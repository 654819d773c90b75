#pragma once

#include <string>

namespace dorvane {

// The base name of an exported message from its row's From, Subject and Received texts:
// joined with "_", the characters : \ / * " < > | ? ' and . replaced by "-", cut to 90
// bytes, then every byte 1..31, every "%" and every byte 127..255 replaced by "_". No
// path delimiter survives, so a name always stays inside the chosen directory.
std::string BuildExportFileName(const std::string& from, const std::string& subject,
                                const std::string& received);

// directory (given its trailing delimiter), the sequence number, "_", the base name, ".eml".
std::string ExportFilePath(const std::string& directory, std::size_t sequence,
                           const std::string& baseName);

// A folder's name as a directory name, by the same replacements and cut; never empty, never
// ending in a blank and never a device name of Windows (CON, NUL, COM1, ... get a "_").
std::string SafeDirectoryName(const std::string& folderName);

}  // namespace dorvane
