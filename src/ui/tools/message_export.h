#pragma once

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "store/uoexpress.h"

namespace dorvane {

// Writes a message's stored text byte for byte, every line break (CR LF, a lone CR or a
// lone LF) as CR LF: what the preview's temp.eml and every exported .eml file hold.
void WriteWithCrLf(std::string_view text, std::ostream& out);

// The same bytes as a string, for comparing with a file written before.
std::string WithCrLf(std::string_view text);

// The stored text of the message whose first block is at offset, read as the browsing
// state says: salvaged messages with ReadRecoveredText, listed ones with ReadMessageText.
// Throws platform::PlatformError when the mail file cannot be opened.
std::string ReadListedMessage(ReaderState& reader, const std::string& mailFile, std::int32_t offset,
                              bool recoveredMode);

// Writes text to path with CR LF line breaks, replacing any file there. False when the
// file cannot be written; the caller decides what to tell.
bool WriteMessageFile(const std::string& path, std::string_view text);

// Writes bytes to path as they are, replacing any file there; false when it cannot.
bool WriteBytesFile(const std::string& path, std::string_view bytes);

// A received time as a time of the file system, when it is one the message list shows as a
// date (inside the list's year window); none for no time or a garbage one.
std::optional<std::filesystem::file_time_type> ReceivedFileTime(FileTime received);

// Gives an exported file the modification time of its message's receipt, so file managers
// and mail importers sort the files by the date of the mail. Leaves the file's time alone
// when the message has no usable time; false when the time could not be set.
bool KeepReceivedTime(const std::string& path, FileTime received);

// An exported message: its bytes written to path and, once written, the file dated as
// KeepReceivedTime says. False when the file could not be written.
bool WriteExportedFile(const std::string& path, std::string_view bytes, FileTime received);

namespace ui {
using dorvane::WriteWithCrLf;
}  // namespace ui

}  // namespace dorvane
