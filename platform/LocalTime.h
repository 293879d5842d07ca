#pragma once
#include <cstdint>
#include <string>

// Seconds since 1970 (UTC), now.
int64_t WallClockSeconds();
// The moment in local time with its offset from UTC, to the second, as ISO 8601 writes it:
// "2024-05-01T10:22:33+02:00".
std::string LocalTimeText(int64_t nSeconds);
