#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/registry.h"

namespace dorvane::platform {

// The current user's keys of a Wine prefix, parsed from the text of its user.reg:
//
//   [Software\\Microsoft\\Outlook Express] 1700000000     a key below HKEY_CURRENT_USER
//   "Store Root"="C:\\mail"                                REG_SZ
//   "Store Root"=str(2):"%UserProfile%\\mail"              REG_EXPAND_SZ
//   @="..."                                                the key's default value
//   "Other"=dword:00000001, hex:01,02, hex(N):.., str(7):".."   other types
//
// Key paths (kept with single backslashes) and value names compare without regard to
// letter case, as Windows compares them.
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

// Looks a variable up in the process environment, its name compared without regard to case.
using EnvironmentLookup = std::optional<std::string> (*)(const std::string& name);

// A registry read from a Wine prefix's user.reg. Variables are expanded from the
// environment Wine keeps for the user (its "Volatile Environment" and "Environment" keys)
// ahead of the process's own, so a %UserProfile% resolves as it does inside Wine.
class WineRegistry : public Registry {
  public:
    WineRegistry(WineHive hive, std::string prefix, EnvironmentLookup environment);

    bool KeyExists(const std::string& keyPath) const override;
    std::optional<RegistryValue> ReadValue(const std::string& keyPath,
                                           const std::string& valueName) const override;
    // Never fails: every reference is either replaced or left as written.
    std::optional<std::string> ExpandEnvironmentStrings(const std::string& text) const override;
    // "X:\rest" becomes "<prefix>/dosdevices/x:/rest", as Wine maps drives; anything else
    // (a POSIX path already) is left alone.
    std::string ToLocalPath(const std::string& path) const override;

  private:
    std::optional<std::string> Variable(const std::string& name, bool expandNested) const;
    std::string Expand(const std::string& text, bool expandNested) const;

    WineHive hive_;
    std::string prefix_;
    EnvironmentLookup environment_;
};

}  // namespace dorvane::platform
