#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

namespace dorvane::platform {

enum class RegistryValueType {
    Text,        // REG_SZ
    ExpandText,  // REG_EXPAND_SZ, read unexpanded
    Other,       // any other type: not text
};

struct RegistryValue {
    RegistryValueType Type = RegistryValueType::Text;
    std::string Text;        // for the text types: the characters up to the first NUL
    std::size_t Length = 0;  // the value's length in bytes as stored
};

// The current user's registry, read only: the one place the store's directory is
// recorded. Tests substitute their own.
class Registry {
  public:
    virtual ~Registry() = default;

    // The value `name` of the key at keyPath below HKEY_CURRENT_USER (a path such as
    // "\Software\Microsoft\Outlook Express"). Nothing when the key cannot be opened or has
    // no such value. keyOpened tells the two apart.
    virtual std::optional<RegistryValue> ReadValue(const std::string& keyPath,
                                                   const std::string& name,
                                                   bool* keyOpened) const = 0;

    // %NAME% references replaced by the environment's values, as ExpandEnvironmentStrings
    // does; nothing when the expansion fails.
    virtual std::optional<std::string> ExpandVariables(const std::string& text) const = 0;

    // A path as recorded in this registry, as this system reaches it. Windows paths are
    // already local on Windows; a Wine registry maps its drive letters.
    virtual std::string ToLocalPath(const std::string& path) const { return path; }
};

// The registry of the user running the program: the Windows registry on Windows; elsewhere
// the registry Wine keeps for the user in the prefix's user.reg ($WINEPREFIX, or ~/.wine).
std::unique_ptr<Registry> OpenUserRegistry();

}  // namespace dorvane::platform
