#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string_view>

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

std::string HomeDirectory() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') return home;
    // Wine falls back on the password database too when HOME is not set.
    const passwd* user = ::getpwuid(::getuid());
    return user != nullptr && user->pw_dir != nullptr ? user->pw_dir : "";
}

std::string WinePrefix() {
    std::string prefix;
    if (const char* set = std::getenv("WINEPREFIX"); set != nullptr && *set != '\0') {
        prefix = set;
    } else {
        prefix = HomeDirectory() + "/.wine";
    }
    // The prefix is joined with "/dosdevices/c:..." later; a trailing slash would double.
    while (prefix.size() > 1 && prefix.back() == '/') prefix.pop_back();
    return prefix;
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
