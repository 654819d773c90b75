#pragma once

#include <stdexcept>
#include <string>

namespace dorvane::platform {

// The one error type for failures of the machine under us: a file that cannot be opened
// or created, a registry value of the wrong type. It carries the text the user is shown,
// and is caught only where a command ends (the window's error box, the CLI's exit status).
class PlatformError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// "Cannot open file %s" and friends, with the path put in.
std::string FormatErrorText(const std::string& pattern, const std::string& argument);

}  // namespace dorvane::platform
