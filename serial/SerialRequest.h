#pragma once
#include <cstddef>
#include <cstdint>

// The serial boot request a unit sends: AA 55 55 AA, 00 00, N (16-bit), F (32-bit), the
// name when F > 0, the checksum byte C, then the trailer 5A A5 0A 1A. Little-endian.
constexpr int SERIAL_REQUEST_MAX = 255;
constexpr int SERIAL_REQUEST_MIN = 17;

enum class ERequestScan {
    NotRequest,   // the sync pattern differs, or no trailer within the longest request
    Incomplete,   // so far it looks like a request; more bytes are needed
    Valid,        // complete, and the check value is right
    BadChecksum,  // complete, and the check value is wrong
};

// Offset of the checksum byte C as the request's fields place it.
size_t SerialRequestChecksumOffset(const uint8_t* p);

// Looks at the bytes gathered from a sync byte on (at most SERIAL_REQUEST_MAX count).
// A request whose fields place its checksum beyond the gathered bytes is no request.
ERequestScan ScanSerialBootRequest(const uint8_t* p, size_t nLen);

// A well-formed request, for the unit simulator and the tests. A nonzero nChecksumDelta
// spoils the checksum by that much.
size_t BuildSerialBootRequest(uint8_t* pOut, size_t nOutSize, int32_t nFlag, const char* pszName,
                              int nChecksumDelta);
