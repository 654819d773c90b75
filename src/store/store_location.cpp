#include "store/store_location.h"

#include "platform/platform_error.h"

namespace dorvane {

namespace {

// A value read as text: empty when the key or value is missing or its length is 0.
std::string ReadText(const platform::Registry& registry, const std::string& keyPath,
                     const std::string& name) {
    const auto value = registry.ReadValue(keyPath, name);
    if (!value || value->ZeroLength) return {};
    if (value->Type == platform::RegistryValueType::Other) {
        throw platform::PlatformError(
            platform::FormatErrorText("Invalid data type for '%s'", name));
    }
    return value->Text;
}

}  // namespace

std::string LocateStoreRoot(const platform::Registry& registry) {
    std::string root = ReadText(registry, "\\Software\\Microsoft\\Outlook Express", "Store Root");
    if (root.empty() && registry.KeyExists("\\Identities")) {
        const std::string identity = ReadText(registry, "\\Identities", "Default User ID");
        // A missing identity still gives a path, with nothing between two backslashes.
        root = ReadText(registry,
                        "\\Identities\\" + identity + "\\Software\\Microsoft\\Outlook Express\\5.0",
                        "Store Root");
    }
    if (root.empty()) return {};
    // Expansion applies to every value, whatever its type; a failed one keeps the value.
    const std::string expanded = registry.ExpandEnvironmentStrings(root).value_or(root);
    return registry.ToLocalPath(expanded);
}

std::string LocateStoreRoot() {
    return LocateStoreRoot(*platform::OpenUserRegistry());
}

}  // namespace dorvane
