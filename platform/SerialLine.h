#pragma once
#include <cstdint>

// Puts an open tty into raw 8N1 at any rate (no echo, no translation, no flow control,
// reads that return at once). False with the last error set when the driver refuses.
bool SetRawSerialLine(int fd, uint32_t dwBaud);
