#include "ui/tools/message_export.h"

#include <chrono>
#include <fstream>
#include <sstream>
#include <system_error>

#include "store/string_sink.h"

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

std::string WithCrLf(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size() + text.size() / 32);
    StringSink sink(bytes);
    std::ostream out(&sink);
    WriteWithCrLf(text, out);
    return bytes;
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

bool WriteBytesFile(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

std::optional<std::filesystem::file_time_type> ReceivedFileTime(FileTime received) {
    if (!StoredTimeToLocal(received)) return std::nullopt;
    // FILETIME counts 100 ns ticks from 1601-01-01 UTC; the system clock from 1970.
    constexpr std::int64_t kSecondsFrom1601To1970 = 11'644'473'600;
    const auto sinceUnix =
        std::chrono::microseconds(static_cast<std::int64_t>(received.Ticks() / 10)) -
        std::chrono::seconds(kSecondsFrom1601To1970);
    const std::chrono::sys_time<std::chrono::microseconds> system{sinceUnix};
    return std::chrono::file_clock::from_sys(system);
}

bool KeepReceivedTime(const std::string& path, FileTime received) {
    const auto time = ReceivedFileTime(received);
    if (!time) return true;
    std::error_code error;
    std::filesystem::last_write_time(path, *time, error);
    return !error;
}

bool WriteExportedFile(const std::string& path, std::string_view bytes, FileTime received) {
    if (!WriteBytesFile(path, bytes)) return false;
    KeepReceivedTime(path, received);
    return true;
}

bool WriteMessageFile(const std::string& path, std::string_view text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    WriteWithCrLf(text, out);
    out.close();
    return !out.fail();
}

}  // namespace dorvane
