#pragma once

#include <iosfwd>
#include <string>

#include "store/uoexpress.h"

namespace dorvane {

// The command-line companion's output formats. They are a contract that scripts rely on:
// change them only together with the README.
//
// JSON Lines: one object per record, keys named and ordered as the record's fields,
// numbers as JSON integers (FILETIMEs as unsigned 64-bit), and each text as a JSON string
// in which every byte stands for the code point of the same value (U+0000..U+00FF), so no
// byte is lost or decoded.
void WriteJsonLine(std::ostream& out, const Toe5_FolderInfo& folder);
void WriteJsonLine(std::ostream& out, const Toe5_MessageInfo& message);

// Readable tables: a caption line, then one line per record, columns separated by tabs.
// Tabs and line breaks inside texts become blanks so each record stays on one line.
void WriteFolderTableCaption(std::ostream& out);
void WriteTableRow(std::ostream& out, const Toe5_FolderInfo& folder);
void WriteMessageTableCaption(std::ostream& out);
void WriteTableRow(std::ostream& out, const Toe5_MessageInfo& message);

// The text of the message list's "Received" column.
std::string ReceivedText(const Toe5_MessageInfo& message);

// Appends text as a JSON string, each byte as the code point of its value.
void AppendJsonString(std::string& out, const std::string& text);

}  // namespace dorvane
