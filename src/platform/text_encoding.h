#pragma once

#ifdef _WIN32
#include <string>

namespace dorvane::platform {

// Paths and texts in this program are 8-bit text of the system code page, as the mail files
// store them; the wide Win32 calls want UTF-16.
std::wstring WideFromSystem(const std::string& text);
std::string SystemFromWide(const std::wstring& text);

}  // namespace dorvane::platform
#endif
