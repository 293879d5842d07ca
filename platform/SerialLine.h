#pragma once
#include <cstdint>

// Puts an open tty into raw 8N1 at any rate (no echo, no translation, no flow control,
// reads that return at once). False with the last error set when the driver refuses.
bool SetRawSerialLine(int fd, uint32_t dwBaud);
// Asks the driver to hand over received bytes at once. A USB serial adapter otherwise holds
// them for its latency timer (16 ms on common chips), and each go-ahead LF of a download
// would wait for it. A driver without the setting (a pseudo-terminal) refuses, silently.
void RequestLowLatency(int fd);
