#include "ui/tools/mbox_export.h"

#include <array>
#include <cstdio>

#include "platform/local_time.h"

namespace dorvane {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        const auto a = static_cast<unsigned char>(text[i]);
        const auto b = static_cast<unsigned char>(prefix[i]);
        if ((a | 0x20) != (b | 0x20)) return false;
    }
    return true;
}

// The next line of text from at, without its break (CR LF, CR or LF); at moves past it.
std::string_view NextLine(std::string_view text, std::size_t& at) {
    const std::size_t start = at;
    const std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
    at = end;
    if (at < text.size()) {
        ++at;
        if (text[end] == '\r' && at < text.size() && text[at] == '\n') ++at;
    }
    return text.substr(start, end - start);
}

// The value of the first From header, continuation lines joined, from the header part.
std::string FromHeaderValue(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size()) {
        const std::string_view line = NextLine(text, at);
        if (line.empty()) break;  // end of the headers
        if (!StartsWithNoCase(line, "from:")) continue;
        std::string value(line.substr(5));
        while (at < text.size()) {
            std::size_t next = at;
            const std::string_view more = NextLine(text, next);
            if (more.empty() || !IsBlank(more.front())) break;
            value += more;
            at = next;
        }
        return value;
    }
    return {};
}

bool FitsSeparator(std::string_view address) {
    if (address.empty()) return false;
    for (const char c : address) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F) return false;
    }
    return true;
}

}  // namespace

std::string MboxSender(std::string_view text) {
    const std::string value = FromHeaderValue(text);
    std::string_view address;
    const auto open = value.find('<');
    const auto close = open == std::string::npos ? open : value.find('>', open);
    if (close != std::string::npos) {
        address = std::string_view(value).substr(open + 1, close - open - 1);
    } else {
        // A bare address: the first word holding an "@".
        std::size_t at = 0;
        while (at < value.size()) {
            while (at < value.size() && (IsBlank(value[at]) || value[at] == ',')) ++at;
            std::size_t end = at;
            while (end < value.size() && !IsBlank(value[end]) && value[end] != ',') ++end;
            const std::string_view word = std::string_view(value).substr(at, end - at);
            if (word.find('@') != std::string_view::npos) {
                address = word;
                break;
            }
            at = end;
        }
    }
    return FitsSeparator(address) ? std::string(address) : "MAILER-DAEMON";
}

std::string MboxDate(FileTime received) {
    static constexpr std::array<const char*, 7> kDays = {"Thu", "Fri", "Sat", "Sun",
                                                         "Mon", "Tue", "Wed"};
    static constexpr std::array<const char*, 12> kMonths = {
        "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    constexpr std::int64_t kMillisecondsFrom1601To1970 = 11'644'473'600'000;
    constexpr std::int64_t kMillisecondsPerDay = 86'400'000;
    std::int64_t unixMs = 0;
    if (StoredTimeToLocal(received)) {
        unixMs = static_cast<std::int64_t>(received.Ticks() / 10'000) - kMillisecondsFrom1601To1970;
    }
    const LocalDateTime utc = platform::DateTimeFromMilliseconds(unixMs);
    // 1970-01-01 was a Thursday; the year window keeps days from 1970 well above zero.
    const std::int64_t days = unixMs >= 0 ? unixMs / kMillisecondsPerDay : 0;
    std::array<char, 40> text{};
    std::snprintf(text.data(), text.size(), "%s %s %2d %02d:%02d:%02d %d",
                  kDays[static_cast<std::size_t>(days % 7)],
                  kMonths[static_cast<std::size_t>(utc.Month - 1)], utc.Day, utc.Hour, utc.Minute,
                  utc.Second, utc.Year);
    return text.data();
}

void AppendMboxMessage(std::string& out, std::string_view text, FileTime received) {
    out += "From ";
    out += MboxSender(text);
    out += ' ';
    out += MboxDate(received);
    out += '\n';
    std::size_t at = 0;
    while (at < text.size()) {
        const std::string_view line = NextLine(text, at);
        std::size_t quotes = 0;
        while (quotes < line.size() && line[quotes] == '>') ++quotes;
        if (line.substr(quotes, 5) == "From ") out += '>';
        out += line;
        out += '\n';
    }
    out += '\n';
}

}  // namespace dorvane
