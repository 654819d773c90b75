#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include "platform/wine_registry.h"

extern char** environ;  // NOLINT: the POSIX process environment

namespace dorvane::platform {

namespace {

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// A variable of the process environment, its name compared without regard to case as
// Windows compares environment names.
std::optional<std::string> ProcessVariable(const std::string& name) {
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        const std::string_view pair = *entry;
        const auto equals = pair.find('=');
        if (equals != name.size()) continue;
        bool same = true;
        for (std::size_t i = 0; i < equals && same; ++i)
            same = AsciiLower(pair[i]) == AsciiLower(name[i]);
        if (same) return std::string(pair.substr(equals + 1));
    }
    return std::nullopt;
}

std::string WinePrefix() {
    if (const char* prefix = std::getenv("WINEPREFIX"); prefix != nullptr && *prefix != '\0') {
        return prefix;
    }
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "") + "/.wine";
}

}  // namespace

std::unique_ptr<Registry> OpenUserRegistry() {
    const std::string prefix = WinePrefix();
    // A missing file is a registry in which nothing is recorded.
    std::ifstream in(prefix + "/user.reg", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return std::make_unique<WineRegistry>(WineHive::Parse(text), prefix, &ProcessVariable);
}

}  // namespace dorvane::platform
