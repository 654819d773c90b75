#include "platform/platform_error.h"

namespace dorvane::platform {

std::string FormatErrorText(const std::string& pattern, const std::string& argument) {
    const auto at = pattern.find("%s");
    if (at == std::string::npos) return pattern;
    return pattern.substr(0, at) + argument + pattern.substr(at + 2);
}

}  // namespace dorvane::platform
