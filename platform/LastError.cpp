#include "platform/LastError.h"

#include <cerrno>
#include <cstring>

namespace {
thread_local uint32_t t_dwLastError = 0;
}

uint32_t GetLastError() {
    return t_dwLastError;
}
void SetLastError(uint32_t dwCode) {
    t_dwLastError = dwCode;
}

uint32_t SetLastErrorFromErrno() {
    t_dwLastError = static_cast<uint32_t>(errno);
    return t_dwLastError;
}

std::string SystemErrorText(uint32_t dwCode) {
    switch (dwCode) {
        case ERROR_NOT_SUPPORTED:
            return "The request is not supported.";
        case ERROR_ALREADY_EXISTS:
            return "Cannot create a file when that file already exists.";
        case ERROR_NO_ADAPTER_ADDRESS:
            return "The network adapter has no IPv4 address.";
        case ERROR_UNKNOWN_REVISION:
            return "The revision level is unknown.";
        default:
            break;
    }
    if (dwCode == 0 || dwCode >= 1000) return {};
    char buf[256];
    // GNU strerror_r returns the text, which may not be buf.
    const char* psz = strerror_r(static_cast<int>(dwCode), buf, sizeof buf);
    if (psz == nullptr || std::strncmp(psz, "Unknown error", 13) == 0) return {};
    return psz;
}
