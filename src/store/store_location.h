#pragma once

#include <string>

#include "platform/registry.h"

namespace dorvane {

// The directory of the current user's Outlook Express store, as the registry records it,
// with environment variables expanded: the "Store Root" of
// "\Software\Microsoft\Outlook Express", or failing that the one of the default identity.
// Empty when nothing is recorded; the directory's existence is not tested. Throws
// platform::PlatformError("Invalid data type for '<name>'") for a value that is not text.
std::string LocateStoreRoot(const platform::Registry& registry);

// The same on the registry of the user running the program.
std::string LocateStoreRoot();

}  // namespace dorvane
