#include "platform/wine_registry.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace dorvane::platform {

namespace {

// Not using <cctype>: its answers depend on the locale, and registry names compare by
// ASCII letters.
char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Lowered(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = AsciiLower(c);
    return lower;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = AsciiLower(c);
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

void AppendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Wine keeps strings as UTF-16; this system keeps paths as UTF-8 bytes. A surrogate
// without its partner becomes U+FFFD rather than bytes no decoder accepts.
void AppendUtf16(std::string& out, const std::vector<std::uint16_t>& units) {
    for (std::size_t i = 0; i < units.size(); ++i) {
        const std::uint32_t unit = units[i];
        const bool high = unit >= 0xD800 && unit < 0xDC00;
        if (high && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000) {
            AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (units[++i] - 0xDC00));
        } else if (unit >= 0xD800 && unit < 0xE000) {
            AppendUtf8(out, 0xFFFD);
        } else {
            AppendUtf8(out, unit);
        }
    }
}

// Reads text written with Wine's escapes up to the unescaped `closing` character; `at`
// starts after the opening delimiter and ends after the closing one. Nothing when the text
// ends first. \xHHHH escapes are UTF-16 code units (pairs for characters beyond the BMP),
// \ooo octal ones, and any other escaped character stands for itself (\\ \" \]).
std::optional<std::string> ReadEscaped(std::string_view text, std::size_t& at, char closing) {
    std::string out;
    std::vector<std::uint16_t> units;  // consecutive \x escapes, decoded together for pairs
    const auto flush = [&] {
        AppendUtf16(out, units);
        units.clear();
    };
    for (; at < text.size(); ++at) {
        const char c = text[at];
        if (c == closing) {
            flush();
            ++at;
            return out;
        }
        if (c != '\\' || at + 1 >= text.size()) {
            flush();
            out += c;
            continue;
        }
        const char escaped = text[++at];
        if (escaped == 'x' && at + 1 < text.size() && HexValue(text[at + 1]) >= 0) {
            std::uint32_t unit = 0;
            for (int digits = 0; digits < 4 && at + 1 < text.size() && HexValue(text[at + 1]) >= 0;
                 ++digits) {
                unit = unit * 16 + static_cast<std::uint32_t>(HexValue(text[++at]));
            }
            units.push_back(static_cast<std::uint16_t>(unit));
            continue;
        }
        flush();
        if (escaped >= '0' && escaped <= '7') {
            unsigned code = static_cast<unsigned>(escaped - '0');
            for (int digits = 1;
                 digits < 3 && at + 1 < text.size() && text[at + 1] >= '0' && text[at + 1] <= '7';
                 ++digits) {
                code = code * 8 + static_cast<unsigned>(text[++at] - '0');
            }
            AppendUtf8(out, code);
            continue;
        }
        // Wine's C-style escapes; any other escaped character stands for itself.
        constexpr std::string_view kLetters = "abefnrtv";
        constexpr std::string_view kControls = "\a\b\x1B\f\n\r\t\v";
        const auto letter = kLetters.find(escaped);
        out += letter == std::string_view::npos ? escaped : kControls[letter];
    }
    return std::nullopt;
}

std::string_view Trimmed(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
        line.remove_suffix(1);
    }
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    return line;
}

// The file's lines, trimmed, one at a time.
class Lines {
  public:
    explicit Lines(std::string_view bytes) : rest_(bytes) {}

    std::optional<std::string_view> Next() {
        if (rest_.empty()) return std::nullopt;
        const auto end = rest_.find('\n');
        const std::string_view line = rest_.substr(0, end);
        rest_.remove_prefix(end == std::string_view::npos ? rest_.size() : end + 1);
        return Trimmed(line);
    }

  private:
    std::string_view rest_;
};

// "01,02,ff" as bytes; nothing when a piece is not a hex byte. A trailing comma is
// allowed: it is what remains of a line whose continuation was cut off.
std::optional<std::vector<std::uint8_t>> ParseHexBytes(std::string_view text) {
    std::vector<std::uint8_t> bytes;
    while (!Trimmed(text).empty()) {
        const auto comma = text.find(',');
        const std::string_view piece = Trimmed(text.substr(0, comma));
        text.remove_prefix(comma == std::string_view::npos ? text.size() : comma + 1);
        if (piece.empty() || piece.size() > 2) return std::nullopt;
        int byte = 0;
        for (const char c : piece) {
            if (HexValue(c) < 0) return std::nullopt;
            byte = byte * 16 + HexValue(c);
        }
        bytes.push_back(static_cast<std::uint8_t>(byte));
    }
    return bytes;
}

RegistryValueType TypeOf(unsigned code) {
    if (code == 1) return RegistryValueType::Text;        // REG_SZ
    if (code == 2) return RegistryValueType::ExpandText;  // REG_EXPAND_SZ
    return RegistryValueType::Other;
}

// The N of "str(N):" or "hex(N):" (hexadecimal, as Wine writes it); `at` ends after the
// colon.
std::optional<unsigned> ParseTypeCode(std::string_view data, std::size_t& at) {
    unsigned code = 0;
    std::size_t digits = 0;
    for (; at < data.size() && HexValue(data[at]) >= 0 && digits < 8; ++at, ++digits) {
        code = code * 16 + static_cast<unsigned>(HexValue(data[at]));
    }
    if (digits == 0 || data.substr(at, 2) != "):") return std::nullopt;
    at += 2;
    return code;
}

// The value after `=`: a quoted string of some type, or hex bytes of some type that may
// continue on the following lines after a trailing backslash.
std::optional<RegistryValue> ParseValueData(std::string_view data, Lines& lines) {
    RegistryValue value;
    std::size_t at = 0;
    if (data.starts_with("\"")) {
        at = 1;
    } else if (data.starts_with("str:\"")) {
        at = 5;
    } else if (data.starts_with("str(")) {
        at = 4;
        const auto code = ParseTypeCode(data, at);
        if (!code || at >= data.size() || data[at] != '"') return std::nullopt;
        value.Type = TypeOf(*code);
        ++at;
    } else if (data.starts_with("dword:")) {
        value.Type = RegistryValueType::Other;
        return value;
    } else {
        unsigned code = 3;  // hex: is REG_BINARY
        if (data.starts_with("hex:")) {
            at = 4;
        } else if (data.starts_with("hex(")) {
            at = 4;
            const auto parsed = ParseTypeCode(data, at);
            if (!parsed) return std::nullopt;
            code = *parsed;
        } else {
            return std::nullopt;
        }
        std::string hex(data.substr(at));
        while (!hex.empty() && hex.back() == '\\') {
            hex.pop_back();
            const auto next = lines.Next();
            if (!next) break;
            hex += *next;
        }
        const auto bytes = ParseHexBytes(hex);
        if (!bytes) return std::nullopt;
        value.Type = TypeOf(code);
        value.ZeroLength = bytes->empty();
        if (value.Type != RegistryValueType::Other) {
            // Text stored as bytes, as Wine writes a string that lacks its final NUL.
            std::vector<std::uint16_t> units;
            for (std::size_t i = 0; i + 1 < bytes->size(); i += 2) {
                const auto unit = static_cast<std::uint16_t>((*bytes)[i] | ((*bytes)[i + 1] << 8));
                if (unit == 0) break;
                units.push_back(unit);
            }
            AppendUtf16(value.Text, units);
        }
        return value;
    }
    auto text = ReadEscaped(data, at, '"');
    if (!text) return std::nullopt;
    // A quoted string is stored with its NUL, so its length is never 0.
    value.Text = text->substr(0, text->find('\0'));
    return value;
}

}  // namespace

WineHive WineHive::Parse(std::string_view bytes) {
    WineHive hive;
    std::map<std::string, RegistryValue>* current = nullptr;
    Lines lines(bytes);
    while (const auto next = lines.Next()) {
        const std::string_view line = *next;
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line[0] == '[') {
            std::size_t at = 1;
            const auto key = ReadEscaped(line, at, ']');
            // Values after a key line that cannot be read belong to no key we know.
            current = key ? &hive.keys_[Lowered(*key)] : nullptr;
            continue;
        }
        if (current == nullptr) continue;
        std::size_t at = 1;
        std::optional<std::string> name;
        if (line[0] == '@') {
            name = std::string();
        } else if (line[0] == '"') {
            name = ReadEscaped(line, at, '"');
        }
        if (!name || at >= line.size() || line[at] != '=') continue;
        if (auto value = ParseValueData(line.substr(at + 1), lines)) {
            (*current)[Lowered(*name)] = std::move(*value);
        }
    }
    return hive;
}

namespace {
std::string NormalisedKey(std::string_view keyPath) {
    if (keyPath.starts_with('\\')) keyPath.remove_prefix(1);
    return Lowered(keyPath);
}
}  // namespace

bool WineHive::HasKey(std::string_view keyPath) const {
    return keys_.contains(NormalisedKey(keyPath));
}

std::optional<RegistryValue> WineHive::Value(std::string_view keyPath,
                                             std::string_view name) const {
    const auto key = keys_.find(NormalisedKey(keyPath));
    if (key == keys_.end()) return std::nullopt;
    const auto value = key->second.find(Lowered(name));
    if (value == key->second.end()) return std::nullopt;
    return value->second;
}

WineRegistry::WineRegistry(WineHive hive, std::string prefix, EnvironmentLookup environment)
    : hive_(std::move(hive)), prefix_(std::move(prefix)), environment_(environment) {}

bool WineRegistry::KeyExists(const std::string& keyPath) const {
    return hive_.HasKey(keyPath);
}

std::optional<RegistryValue> WineRegistry::ReadValue(const std::string& keyPath,
                                                     const std::string& valueName) const {
    return hive_.Value(keyPath, valueName);
}

// Wine builds a process's environment from "Environment" and then "Volatile Environment",
// the later winning, and expands their REG_EXPAND_SZ values (such as TEMP's
// "%USERPROFILE%\Temp") as it goes. One level of that expansion is enough for what Wine
// writes, and stopping there keeps variables that name each other from looping.
std::optional<std::string> WineRegistry::Variable(const std::string& name,
                                                  bool expandNested) const {
    for (const char* key : {"Volatile Environment", "Environment"}) {
        const auto value = hive_.Value(key, name);
        if (!value || value->Type == RegistryValueType::Other) continue;
        if (value->Type == RegistryValueType::ExpandText && expandNested) {
            return Expand(value->Text, false);
        }
        return value->Text;
    }
    if (environment_ != nullptr && !name.empty()) return environment_(name);
    return std::nullopt;
}

std::string WineRegistry::Expand(const std::string& text, bool expandNested) const {
    std::string out;
    std::size_t at = 0;
    while (at < text.size()) {
        const auto open = text.find('%', at);
        const auto close = open == std::string::npos ? std::string::npos : text.find('%', open + 1);
        if (close == std::string::npos) {
            out.append(text, at);
            break;
        }
        out.append(text, at, open - at);
        const auto found = Variable(text.substr(open + 1, close - open - 1), expandNested);
        // An unknown name stays as written, its percent signs included.
        out += found ? *found : text.substr(open, close - open + 1);
        at = close + 1;
    }
    return out;
}

std::optional<std::string> WineRegistry::ExpandEnvironmentStrings(const std::string& text) const {
    return Expand(text, true);
}

std::string WineRegistry::ToLocalPath(const std::string& path) const {
    const bool drivePath =
        path.size() >= 2 && path[1] == ':' &&
        ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    if (!drivePath) return path;
    std::string local = prefix_ + "/dosdevices/" + AsciiLower(path[0]) + ":";
    // "C:mail" is relative to the drive's current directory, which is its root in a program
    // that never changed it.
    if (path.size() > 2 && path[2] != '\\' && path[2] != '/') local += '/';
    for (std::size_t i = 2; i < path.size(); ++i) local += path[i] == '\\' ? '/' : path[i];
    return local;
}

}  // namespace dorvane::platform
