// The clock on POSIX: the C library's local time with the TZ rules of the
// process.
#include "platform/platform.h"

#include <time.h>

namespace plat {

LocalTime localTime() {
    LocalTime lt{1970, 1, 1, 0, 0, 0};
    time_t now = ::time(nullptr);
    struct tm parts;
    if (now == static_cast<time_t>(-1) || ::localtime_r(&now, &parts) == nullptr) return lt;
    lt.year = parts.tm_year + 1900;
    lt.month = parts.tm_mon + 1;
    lt.day = parts.tm_mday;
    lt.hour = parts.tm_hour;
    lt.minute = parts.tm_min;
    lt.second = parts.tm_sec > 59 ? 59 : parts.tm_sec;
    return lt;
}

}  // namespace plat
