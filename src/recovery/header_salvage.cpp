#include "recovery/header_salvage.h"

#include <algorithm>
#include <span>
#include <string>
#include <string_view>

#include "recovery/mail_date.h"

namespace dorvane {

namespace {

// The window's zero bytes read as blanks. The searched names, the carriage return and the
// date hold neither, so the searches run on the raw bytes and only what is taken out of
// them is converted.
std::string WithBlanksForZeros(std::string_view bytes) {
    std::string text(bytes);
    std::replace(text.begin(), text.end(), '\0', ' ');
    return text;
}

// The value after the first occurrence of name: from the character after its colon up to
// and including the first carriage return. The window's last character never ends a value,
// and a value without its carriage return is empty.
std::string HeaderValue(std::string_view window, std::string_view name, std::size_t skip,
                        bool* found) {
    const auto at = window.find(name);
    *found = at != std::string_view::npos;
    if (!*found || window.size() < 2) return {};
    const std::size_t start = at + skip;
    const std::string_view searchable = window.substr(0, window.size() - 1);
    const auto end = searchable.find('\r', start);
    if (end == std::string_view::npos) return {};
    return WithBlanksForZeros(window.substr(start, end - start + 1));
}

}  // namespace

Toe5_MessageInfo SalvageFromWindow(std::string_view text, std::int32_t firstOffset,
                                   std::int32_t length) {
    Toe5_MessageInfo record;
    record.DataOffset = firstOffset;
    record.MsgSize = length;
    bool found = false;
    record.FromName = HeaderValue(text, "From:", 5, &found);
    record.ReplyTo = HeaderValue(text, "ply-To:", 7, &found);
    record.ToName = HeaderValue(text, "To:", 3, &found);
    record.Subject = HeaderValue(text, "Subject:", 8, &found);
    if (found && record.Subject.empty()) record.Subject = "Recovered";

    const auto date = text.find("Date:");
    if (date != std::string_view::npos && date + 6 <= text.size()) {
        if (const auto parsed = ParseMailDate(WithBlanksForZeros(text.substr(date + 6, 32)))) {
            record.ReceivedTime = FileTime::FromTicks(MailDateToFileTime(*parsed));
        }
    }
    return record;
}

void SalvageHeaders(FileWindow& file, std::int32_t firstOffset, std::int32_t limit,
                    std::int32_t length, MessageList& list) {
    // The window is searched where it lies, never copied: a range may start far below its
    // "Date:" (a block start with megabytes of text after it), and only the values taken
    // out of it are worth memory.
    std::span<const std::uint8_t> bytes;
    const std::int64_t last = std::int64_t{limit} + 50;
    if (firstOffset >= 0 && last >= firstOffset) {
        bytes = file.Bytes(firstOffset, static_cast<std::size_t>(last - firstOffset + 1));
    }
    const std::string_view window(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    list.push_back(
        std::make_shared<const Toe5_MessageInfo>(SalvageFromWindow(window, firstOffset, length)));
}

}  // namespace dorvane
