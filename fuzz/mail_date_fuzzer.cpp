// The Date header parser on arbitrary text: any date it gives is a valid calendar date.
#include <string_view>

#include "platform/civil_date.h"
#include "recovery/mail_date.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto date =
        dorvane::ParseMailDate(std::string_view(reinterpret_cast<const char*>(data), size));
    if (date && (date->Year < 1 || date->Year > 9999 || date->Month < 1 || date->Month > 12 ||
                 date->Day < 1 ||
                 date->Day > static_cast<int>(dorvane::platform::DaysInMonth(
                                 date->Year, static_cast<unsigned>(date->Month))) ||
                 date->Hour > 23 || date->Minute > 59 || date->Second > 59)) {
        __builtin_trap();
    }
    return 0;
}
