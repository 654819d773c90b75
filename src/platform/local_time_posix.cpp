#include <chrono>
#include <ctime>

#include "platform/civil_date.h"
#include "platform/local_time.h"

namespace dorvane::platform {

std::int64_t UtcNowMilliseconds() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

std::int64_t CurrentUtcOffsetSeconds() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (::localtime_r(&now, &local) == nullptr) return 0;
    return local.tm_gmtoff;
}

LocalDateTime LocalNow() {
    return DateTimeFromMilliseconds(UtcNowMilliseconds() + CurrentUtcOffsetSeconds() * 1000);
}

std::string FormatListDateTime(const LocalDateTime& when) {
    std::tm parts{};
    parts.tm_year = when.Year - 1900;
    parts.tm_mon = when.Month - 1;
    parts.tm_mday = when.Day;
    parts.tm_hour = when.Hour;
    parts.tm_min = when.Minute;
    parts.tm_sec = when.Second;
    parts.tm_wday = static_cast<int>((DaysFromCivil(when.Year, static_cast<unsigned>(when.Month),
                                                    static_cast<unsigned>(when.Day)) %
                                          7 +
                                      11) %
                                     7);
    parts.tm_isdst = -1;
    const bool midnight = when.Hour == 0 && when.Minute == 0 && when.Second == 0;
    char text[128];
    const std::size_t length = std::strftime(text, sizeof text, midnight ? "%x" : "%x %X", &parts);
    return std::string(text, length);
}

}  // namespace dorvane::platform
