#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/registry.h"

namespace dorvane::platform {

// The current user's keys of a Wine prefix, parsed from the text of its user.reg. Key
// paths (relative to HKEY_CURRENT_USER, single backslashes) and value names compare
// without regard to letter case, as Windows compares them.
class WineHive {
  public:
    // Parses the file's bytes. Anything that cannot be parsed (a truncated file, unbalanced
    // quotes or brackets, odd escapes, a file that is no registry at all) is skipped: what
    // is skipped counts as not recorded. Does no I/O.
    static WineHive Parse(std::string_view bytes);

    bool HasKey(std::string_view keyPath) const;
    // Nothing when the key or the value is missing.
    std::optional<RegistryValue> Value(std::string_view keyPath, std::string_view name) const;

  private:
    // Lower-cased key path -> lower-cased value name -> value.
    std::map<std::string, std::map<std::string, RegistryValue>> keys_;
};

// A registry read from a Wine prefix's user.reg, with the environment Wine keeps for the
// user (its "Volatile Environment" and "Environment" keys) ahead of the process's own.
class WineRegistry : public Registry {
  public:
    // environment: looks a variable up in the process environment (getenv in use).
    WineRegistry(WineHive hive, std::string prefix,
                 std::optional<std::string> (*environment)(const std::string& name));

    std::optional<RegistryValue> ReadValue(const std::string& keyPath, const std::string& name,
                                           bool* keyOpened) const override;
    std::optional<std::string> ExpandVariables(const std::string& text) const override;
    // "X:\rest" becomes "<prefix>/dosdevices/x:/rest", as Wine maps drives; anything else
    // (a POSIX path already) is left alone.
    std::string ToLocalPath(const std::string& path) const override;

  private:
    WineHive hive_;
    std::string prefix_;
    std::optional<std::string> (*environment_)(const std::string& name);
};

}  // namespace dorvane::platform
