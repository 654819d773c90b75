#include "ui/tools/message_export.h"

#include <fstream>
#include <sstream>

namespace dorvane {

void WriteWithCrLf(std::string_view text, std::ostream& out) {
    std::size_t from = 0;
    while (from < text.size()) {
        const auto lineEnd = text.find_first_of("\r\n", from);
        if (lineEnd == std::string_view::npos) {
            out.write(text.data() + from, static_cast<std::streamsize>(text.size() - from));
            return;
        }
        out.write(text.data() + from, static_cast<std::streamsize>(lineEnd - from));
        out.write("\r\n", 2);
        from = lineEnd + 1;
        if (text[lineEnd] == '\r' && from < text.size() && text[from] == '\n') ++from;
    }
}

std::string ReadListedMessage(ReaderState& reader, const std::string& mailFile, std::int32_t offset,
                              bool recoveredMode) {
    std::ostringstream text;
    if (recoveredMode) {
        ReadRecoveredText(reader, mailFile, offset, text);
    } else {
        ReadMessageText(reader, mailFile, offset, text);
    }
    return std::move(text).str();
}

bool WriteMessageFile(const std::string& path, std::string_view text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    WriteWithCrLf(text, out);
    out.close();
    return !out.fail();
}

}  // namespace dorvane
