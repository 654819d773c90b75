#pragma once

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
    std::string Text;  // for the text types: the characters up to the first NUL
    // Stored with a length of 0. Such a value reads as empty text whatever its type, so an
    // empty binary value is "nothing recorded" rather than a wrong type.
    bool ZeroLength = false;
};

// The current user's registry, read only: the one place the store's directory is
// recorded. Tests substitute their own.
//
// Key paths are below HKEY_CURRENT_USER and written from its root with a leading
// backslash, such as "\Software\Microsoft\Outlook Express"; keys are never created.
class Registry {
  public:
    virtual ~Registry() = default;

    // Whether the key can be opened. One that cannot counts as missing.
    virtual bool KeyExists(const std::string& keyPath) const = 0;

    // The value valueName of the key; nothing when the key cannot be opened or has no such
    // value. "" names the key's default value.
    virtual std::optional<RegistryValue> ReadValue(const std::string& keyPath,
                                                   const std::string& valueName) const = 0;

    // %NAME% references replaced by the environment's values, an unknown name left as
    // written, as ExpandEnvironmentStrings does. Nothing when the expansion fails (the
    // Windows function reports 0 characters); the caller then keeps the text as read. An
    // expansion longer than the usual 1024 characters comes back whole: a path cut short
    // would name some other directory.
    //
    // <windows.h> makes ExpandEnvironmentStrings a macro: a file that includes it before
    // this header and overrides or calls this function must #undef it first.
    virtual std::optional<std::string> ExpandEnvironmentStrings(const std::string& text) const = 0;

    // A path as recorded in this registry, as this system reaches it. On Windows it is
    // already local; a Wine registry maps its drive letters into the prefix.
    virtual std::string ToLocalPath(const std::string& path) const { return path; }
};

// The registry of the user running the program: the Windows registry on Windows; elsewhere
// the registry Wine keeps for the user in the prefix's user.reg ($WINEPREFIX, or ~/.wine).
std::unique_ptr<Registry> OpenUserRegistry();

}  // namespace dorvane::platform
