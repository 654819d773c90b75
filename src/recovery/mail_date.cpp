#include "recovery/mail_date.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <string>

#include "platform/civil_date.h"

namespace dorvane {

namespace {

// Not using <cctype> here: its answers depend on the locale, and these rules are about the
// ASCII letters and control codes only.
bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

char AsciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

void TrimLeft(std::string_view& text) {
    while (!text.empty() && IsBlankOrControl(text.front())) text.remove_prefix(1);
}

// Everything before the first blank; the token and that blank leave the text. Only the
// blank separates: tabs and line breaks stay inside a token.
std::string_view TakeToken(std::string_view& text) {
    const auto blank = text.find(' ');
    const std::string_view token = text.substr(0, blank);
    text.remove_prefix(blank == std::string_view::npos ? text.size() : blank + 1);
    return token;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = AsciiUpper(c);
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Leading blanks, an optional sign, then decimal digits to the end of the token, or a
// hexadecimal number after "$", "x", "X", "0x" or "0X". Any number of digits make an
// integer; a value past the 32-bit range is held at its bound, which no day, year or time
// accepts, so the date fails as the value itself would make it fail.
std::optional<int> ReadInteger(std::string_view token) {
    while (!token.empty() && token.front() == ' ') token.remove_prefix(1);
    bool negative = false;
    if (!token.empty() && (token.front() == '+' || token.front() == '-')) {
        negative = token.front() == '-';
        token.remove_prefix(1);
    }
    int base = 10;
    if (!token.empty() && (token.front() == '$' || token.front() == 'x' || token.front() == 'X')) {
        base = 16;
        token.remove_prefix(1);
    } else if (token.size() >= 2 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X')) {
        base = 16;
        token.remove_prefix(2);
    }
    if (token.empty()) return std::nullopt;
    constexpr std::int64_t kHeld = std::int64_t{INT_MAX} + 1;
    std::int64_t value = 0;
    for (const char c : token) {
        const int digit = base == 10 ? (c >= '0' && c <= '9' ? c - '0' : -1) : HexDigit(c);
        if (digit < 0) return std::nullopt;
        value = std::min(value * base + digit, kHeld);
    }
    if (negative) value = -value;
    return static_cast<int>(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX));
}

constexpr std::array<std::string_view, 7> kDayNames = {"SUN", "MON", "TUE", "WED",
                                                       "THU", "FRI", "SAT"};
constexpr std::array<std::string_view, 12> kMonthNames = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                          "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

int MonthNumber(std::string_view token) {
    std::string upper(token);
    for (char& c : upper) c = AsciiUpper(c);
    for (std::size_t i = 0; i < kMonthNames.size(); ++i) {
        if (upper == kMonthNames[i]) return static_cast<int>(i) + 1;
    }
    return 0;
}

bool StartsWithDayName(std::string_view text) {
    if (text.size() < 3) return false;
    const std::string upper{AsciiUpper(text[0]), AsciiUpper(text[1]), AsciiUpper(text[2])};
    for (const std::string_view day : kDayNames) {
        if (upper == day) return true;
    }
    return false;
}

}  // namespace

std::optional<MailDateTime> ParseMailDate(std::string_view text) {
    while (!text.empty() && IsBlankOrControl(text.back())) text.remove_suffix(1);
    TrimLeft(text);
    if (text.empty()) return std::nullopt;

    if (StartsWithDayName(text)) TakeToken(text);
    MailDateTime date;
    date.Day = ReadInteger(TakeToken(text)).value_or(1);
    TrimLeft(text);
    date.Month = MonthNumber(TakeToken(text));
    TrimLeft(text);
    date.Year = ReadInteger(TakeToken(text)).value_or(1900);
    if (date.Year >= 0 && date.Year <= 79) {
        date.Year += 2000;
    } else if (date.Year >= 80 && date.Year <= 99) {
        date.Year += 1900;
    }
    if (date.Year < 1 || date.Year > 9999 || date.Month < 1 || date.Month > 12 || date.Day < 1 ||
        date.Day >
            static_cast<int>(platform::DaysInMonth(date.Year, static_cast<unsigned>(date.Month)))) {
        return std::nullopt;
    }

    TrimLeft(text);
    if (text.find(':') != std::string_view::npos) {
        std::string_view time = TakeToken(text);
        const auto firstColon = time.find(':');
        date.Hour = ReadInteger(time.substr(0, firstColon)).value_or(0);
        time.remove_prefix(firstColon == std::string_view::npos ? time.size() : firstColon + 1);
        const auto secondColon = time.find(':');
        date.Minute = ReadInteger(time.substr(0, secondColon)).value_or(0);
        time.remove_prefix(secondColon == std::string_view::npos ? time.size() : secondColon + 1);
        date.Second = ReadInteger(time).value_or(0);
        if (date.Hour < 0 || date.Hour > 23 || date.Minute < 0 || date.Minute > 59 ||
            date.Second < 0 || date.Second > 59) {
            return std::nullopt;
        }
    }
    return date;
}

std::uint64_t MailDateToFileTime(const MailDateTime& date) {
    constexpr std::int64_t kDaysFrom1601To1970 = 134'774;
    const std::int64_t days = platform::DaysFromCivil(date.Year, static_cast<unsigned>(date.Month),
                                                      static_cast<unsigned>(date.Day)) +
                              kDaysFrom1601To1970;
    if (days < 0) return 0;
    const std::int64_t seconds = days * 86400 + std::int64_t{date.Hour} * 3600 +
                                 std::int64_t{date.Minute} * 60 + date.Second;
    return static_cast<std::uint64_t>(seconds) * 10'000'000;
}

}  // namespace dorvane
