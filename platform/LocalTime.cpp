#include "platform/LocalTime.h"

#include <cstdio>
#include <ctime>

int64_t WallClockSeconds() {
    return static_cast<int64_t>(std::time(nullptr));
}

std::string LocalTimeText(int64_t nSeconds) {
    const std::time_t t = static_cast<std::time_t>(nSeconds);
    std::tm tm{};
    localtime_r(&t, &tm);
    const long nOffset = tm.tm_gmtoff / 60;
    const long nAbs = nOffset < 0 ? -nOffset : nOffset;
    char sz[96];
    std::snprintf(sz, sizeof sz, "%04d-%02d-%02dT%02d:%02d:%02d%c%02ld:%02ld", tm.tm_year + 1900,
                  tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec,
                  nOffset < 0 ? '-' : '+', nAbs / 60, nAbs % 60);
    return sz;
}
