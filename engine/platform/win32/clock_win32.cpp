// The clock on Windows: the system's local time.
#include "platform/platform.h"

#include <windows.h>

namespace plat {

LocalTime localTime() {
    SYSTEMTIME st;
    ::GetLocalTime(&st);
    LocalTime lt;
    lt.year = st.wYear;
    lt.month = st.wMonth;
    lt.day = st.wDay;
    lt.hour = st.wHour;
    lt.minute = st.wMinute;
    lt.second = st.wSecond > 59 ? 59 : st.wSecond;
    return lt;
}

}  // namespace plat
