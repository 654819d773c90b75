#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

#include "store/uoexpress.h"

namespace dorvane {

// Writes a message's stored text byte for byte, every line break (CR LF, a lone CR or a
// lone LF) as CR LF: what the preview's temp.eml and every exported .eml file hold.
void WriteWithCrLf(std::string_view text, std::ostream& out);

// The stored text of the message whose first block is at offset, read as the browsing
// state says: salvaged messages with ReadRecoveredText, listed ones with ReadMessageText.
// Throws platform::PlatformError when the mail file cannot be opened.
std::string ReadListedMessage(ReaderState& reader, const std::string& mailFile, std::int32_t offset,
                              bool recoveredMode);

// Writes text to path with CR LF line breaks, replacing any file there. False when the
// file cannot be written; the caller decides what to tell.
bool WriteMessageFile(const std::string& path, std::string_view text);

namespace ui {
using dorvane::WriteWithCrLf;
}  // namespace ui

}  // namespace dorvane
