#pragma once
#include <cstdint>
#include <string>

// Per-thread last error: errno values below 1000, the program's own codes above.
constexpr uint32_t ERROR_NOT_SUPPORTED = 50;
constexpr uint32_t ERROR_ALREADY_EXISTS = 183;
constexpr uint32_t ERROR_NO_ADAPTER_ADDRESS = 1228;
constexpr uint32_t ERROR_UNKNOWN_REVISION = 1305;

uint32_t GetLastError();
void SetLastError(uint32_t dwCode);
// Stores errno as the last error and returns it.
uint32_t SetLastErrorFromErrno();

// The system's text for a code, or the empty text when it has none.
std::string SystemErrorText(uint32_t dwCode);
