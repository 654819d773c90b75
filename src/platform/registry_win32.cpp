#include <windows.h>
// The interface's member of that name, not the macro that picks the A or W function.
#undef ExpandEnvironmentStrings

#include <vector>

#include "platform/registry.h"

namespace dorvane::platform {

namespace {

// Closes the key however the read ends.
class OpenKey {
  public:
    explicit OpenKey(const std::string& path) {
        // Paths are written from the root of HKEY_CURRENT_USER with a leading backslash.
        const std::string relative = path.starts_with("\\") ? path.substr(1) : path;
        opened_ = ::RegOpenKeyExA(HKEY_CURRENT_USER, relative.c_str(), 0, KEY_ALL_ACCESS, &key_) ==
                  ERROR_SUCCESS;
    }
    ~OpenKey() {
        if (opened_) ::RegCloseKey(key_);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;

    bool Opened() const { return opened_; }
    HKEY Handle() const { return key_; }

  private:
    HKEY key_ = nullptr;
    bool opened_ = false;
};

class WindowsRegistry : public Registry {
  public:
    bool KeyExists(const std::string& keyPath) const override { return OpenKey(keyPath).Opened(); }

    std::optional<RegistryValue> ReadValue(const std::string& keyPath,
                                           const std::string& valueName) const override {
        const OpenKey key(keyPath);
        if (!key.Opened()) return std::nullopt;
        DWORD type = 0;
        DWORD size = 0;
        if (::RegQueryValueExA(key.Handle(), valueName.c_str(), nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS) {
            return std::nullopt;
        }
        RegistryValue value;
        value.ZeroLength = size == 0;
        value.Type = type == REG_SZ          ? RegistryValueType::Text
                     : type == REG_EXPAND_SZ ? RegistryValueType::ExpandText
                                             : RegistryValueType::Other;
        if (value.Type == RegistryValueType::Other || size == 0) return value;
        // One byte more, zeroed: a stored string need not end in a NUL.
        std::vector<char> data(size + 1, '\0');
        if (::RegQueryValueExA(key.Handle(), valueName.c_str(), nullptr, &type,
                               reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        value.Text = data.data();  // up to the first NUL
        return value;
    }

    std::optional<std::string> ExpandEnvironmentStrings(const std::string& text) const override {
        std::vector<char> buffer(1024);
        DWORD needed = ::ExpandEnvironmentStringsA(text.c_str(), buffer.data(),
                                                   static_cast<DWORD>(buffer.size()));
        if (needed == 0) return std::nullopt;
        if (needed > buffer.size()) {
            buffer.resize(needed);
            needed = ::ExpandEnvironmentStringsA(text.c_str(), buffer.data(), needed);
            if (needed == 0 || needed > buffer.size()) return std::nullopt;
        }
        return std::string(buffer.data());  // up to the terminating NUL
    }
};

}  // namespace

std::unique_ptr<Registry> OpenUserRegistry() {
    return std::make_unique<WindowsRegistry>();
}

}  // namespace dorvane::platform
