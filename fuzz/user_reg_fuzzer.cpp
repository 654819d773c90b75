// The Wine user.reg parser and the store lookup over it, on arbitrary bytes.
#include <string_view>

#include "platform/platform_error.h"
#include "platform/wine_registry.h"
#include "store/store_location.h"

namespace {
std::optional<std::string> NoEnvironment(const std::string&) {
    return std::nullopt;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace dorvane::platform;
    const WineRegistry registry(
        WineHive::Parse(std::string_view(reinterpret_cast<const char*>(data), size)), "/prefix",
        &NoEnvironment);
    try {
        dorvane::LocateStoreRoot(registry);
    } catch (const PlatformError&) {
        // A value of the wrong type is an answer, not a failure.
    }
    return 0;
}
