#include "platform/wine_registry.h"

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

// Wine writes characters beyond ASCII as \xHHHH escapes of UTF-16 code units; this system
// keeps paths as UTF-8 bytes.
void AppendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Reads a quoted string starting at text[at] == '"'; advances `at` past the closing quote.
// Nothing when the quote is never closed.
std::optional<std::string> ReadQuoted(std::string_view text, std::size_t& at) {
    if (at >= text.size() || text[at] != '"') return std::nullopt;
    std::string out;
    std::vector<std::uint16_t> pending;  // UTF-16 code units of \x escapes, for pairs
    const auto flush = [&] {
        for (std::size_t i = 0; i < pending.size(); ++i) {
            std::uint32_t code = pending[i];
            if (code >= 0xD800 && code < 0xDC00 && i + 1 < pending.size() &&
                pending[i + 1] >= 0xDC00 && pending[i + 1] < 0xE000) {
                code = 0x10000 + ((code - 0xD800) << 10) + (pending[++i] - 0xDC00);
                out += static_cast<char>(0xF0 | (code >> 18));
                out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
                out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
                out += static_cast<char>(0x80 | (code & 0x3F));
                continue;
            }
            AppendUtf8(out, code);
        }
        pending.clear();
    };
    for (++at; at < text.size(); ++at) {
        const char c = text[at];
        if (c == '"') {
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
        if (escaped == 'x') {
            std::uint32_t code = 0;
            int digits = 0;
            while (digits < 4 && at + 1 < text.size() && HexValue(text[at + 1]) >= 0) {
                code = code * 16 + static_cast<std::uint32_t>(HexValue(text[++at]));
                ++digits;
            }
            if (digits == 0) {
                flush();
                out += 'x';
            } else {
                pending.push_back(static_cast<std::uint16_t>(code));
            }
            continue;
        }
        flush();
        switch (escaped) {
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case '0':
                out += '\0';
                break;
            default:
                out += escaped;
                break;  // \\ \" and any other character stand for themselves
        }
    }
    return std::nullopt;
}

// One value line: `"Name"=...` or `@=...`.
std::optional<std::pair<std::string, RegistryValue>> ParseValueLine(std::string_view line) {
    std::size_t at = 0;
    std::string name;
    if (!line.empty() && line[0] == '@') {
        at = 1;
    } else {
        auto quoted = ReadQuoted(line, at);
        if (!quoted) return std::nullopt;
        name = std::move(*quoted);
    }
    if (at >= line.size() || line[at] != '=') return std::nullopt;
    ++at;
    const std::string_view data = line.substr(at);
    RegistryValue value;
    std::size_t textAt = at;
    if (data.starts_with("\"")) {
        value.Type = RegistryValueType::Text;
    } else if (data.starts_with("str(2):\"")) {
        value.Type = RegistryValueType::ExpandText;
        textAt += 7;
    } else if (data.starts_with("str(")) {
        // Other string types (REG_MULTI_SZ is str(7)) are not text to this program.
        value.Type = RegistryValueType::Other;
        value.Length = data.size();
        return std::make_pair(Lowered(name), value);
    } else {
        // dword:, hex:, hex(N): and anything else: not text. An empty hex value has length 0.
        value.Type = RegistryValueType::Other;
        const auto colon = data.find(':');
        const std::string_view bytes =
            colon == std::string_view::npos ? data : data.substr(colon + 1);
        value.Length = bytes.find_first_not_of(" \\") == std::string_view::npos ? 0 : 4;
        return std::make_pair(Lowered(name), value);
    }
    auto text = ReadQuoted(line, textAt);
    if (!text) return std::nullopt;
    value.Length = (text->size() + 1) * 2;  // stored as UTF-16 with its NUL
    value.Text = text->substr(0, text->find('\0'));
    return std::make_pair(Lowered(name), value);
}

// A key line: `[Path\\With\\Doubled\\Backslashes] timestamp`.
std::optional<std::string> ParseKeyLine(std::string_view line) {
    std::string path;
    for (std::size_t at = 1; at < line.size(); ++at) {
        const char c = line[at];
        if (c == ']') return Lowered(path);
        if (c == '\\' && at + 1 < line.size()) {
            // Inside key names Wine doubles the backslash and escapes like strings.
            path += line[++at];
            continue;
        }
        path += c;
    }
    return std::nullopt;
}

std::string_view TrimLine(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
        line.remove_suffix(1);
    }
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    return line;
}

std::string NormalisedKey(std::string_view keyPath) {
    while (!keyPath.empty() && keyPath.front() == '\\') keyPath.remove_prefix(1);
    return Lowered(keyPath);
}

}  // namespace

WineHive WineHive::Parse(std::string_view bytes) {
    WineHive hive;
    std::map<std::string, RegistryValue>* current = nullptr;
    while (!bytes.empty()) {
        const auto end = bytes.find('\n');
        const std::string_view line = TrimLine(bytes.substr(0, end));
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line[0] == '[') {
            const auto key = ParseKeyLine(line);
            current = key ? &hive.keys_[*key] : nullptr;
            continue;
        }
        if (current == nullptr) continue;
        if (auto value = ParseValueLine(line)) (*current)[value->first] = std::move(value->second);
    }
    return hive;
}

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

WineRegistry::WineRegistry(WineHive hive, std::string prefix,
                           std::optional<std::string> (*environment)(const std::string& name))
    : hive_(std::move(hive)), prefix_(std::move(prefix)), environment_(environment) {}

std::optional<RegistryValue> WineRegistry::ReadValue(const std::string& keyPath,
                                                     const std::string& name,
                                                     bool* keyOpened) const {
    *keyOpened = hive_.HasKey(keyPath);
    if (!*keyOpened) return std::nullopt;
    return hive_.Value(keyPath, name);
}

std::optional<std::string> WineRegistry::ExpandVariables(const std::string& text) const {
    std::string out;
    std::size_t at = 0;
    while (at < text.size()) {
        const auto open = text.find('%', at);
        const auto close = open == std::string::npos ? std::string::npos : text.find('%', open + 1);
        if (close == std::string::npos) {
            out += text.substr(at);
            break;
        }
        out += text.substr(at, open - at);
        const std::string name = text.substr(open + 1, close - open - 1);
        std::optional<std::string> found;
        for (const char* key : {"Volatile Environment", "Environment"}) {
            if (found) break;
            const auto value = hive_.Value(key, name);
            if (value && value->Type != RegistryValueType::Other) found = value->Text;
        }
        if (!found && !name.empty() && environment_ != nullptr) found = environment_(name);
        if (found) {
            out += *found;
            at = close + 1;
        } else {
            // An unknown name stays as written.
            out += text.substr(open, close - open + 1);
            at = close + 1;
        }
    }
    return out;
}

std::string WineRegistry::ToLocalPath(const std::string& path) const {
    const bool drivePath =
        path.size() >= 2 && path[1] == ':' &&
        ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    if (!drivePath) return path;
    std::string local = prefix_ + "/dosdevices/" + AsciiLower(path[0]) + ":";
    for (std::size_t i = 2; i < path.size(); ++i) local += path[i] == '\\' ? '/' : path[i];
    return local;
}

}  // namespace dorvane::platform
