#include "serial/SerialRequest.h"

#include <cstring>

namespace {
const uint8_t kHead[6] = {0xAA, 0x55, 0x55, 0xAA, 0x00, 0x00};
const uint8_t kTrailer[4] = {0x5A, 0xA5, 0x0A, 0x1A};
constexpr size_t kNameOffset = 12;

int16_t PayloadLength(const uint8_t* p) {
    return static_cast<int16_t>(p[6] | p[7] << 8);
}
int32_t Flag(const uint8_t* p) {
    return static_cast<int32_t>(uint32_t(p[8]) | uint32_t(p[9]) << 8 | uint32_t(p[10]) << 16 |
                                uint32_t(p[11]) << 24);
}
}  // namespace

size_t SerialRequestChecksumOffset(const uint8_t* p) {
    const int nLength = PayloadLength(p);
    if (Flag(p) <= 0 || nLength + 7 < static_cast<int>(kNameOffset)) return kNameOffset;
    return static_cast<size_t>(nLength + 7);
}

ERequestScan ScanSerialBootRequest(const uint8_t* p, size_t nLen) {
    const size_t nHead = nLen < sizeof kHead ? nLen : sizeof kHead;
    if (std::memcmp(p, kHead, nHead) != 0) return ERequestScan::NotRequest;
    if (nLen > static_cast<size_t>(SERIAL_REQUEST_MAX)) nLen = SERIAL_REQUEST_MAX;
    bool bTrailer = false;
    if (nLen >= static_cast<size_t>(SERIAL_REQUEST_MIN)) {
        for (size_t i = kNameOffset; i + sizeof kTrailer <= nLen && !bTrailer; ++i)
            bTrailer = std::memcmp(p + i, kTrailer, sizeof kTrailer) == 0;
    }
    if (!bTrailer) {
        return nLen >= static_cast<size_t>(SERIAL_REQUEST_MAX) ? ERequestScan::NotRequest
                                                               : ERequestScan::Incomplete;
    }
    const size_t nChecksum = SerialRequestChecksumOffset(p);
    if (nChecksum >= nLen) return ERequestScan::NotRequest;
    // Bytes 4 to 11, the name, and C: name and C are exactly the bytes from 12 to C.
    uint8_t bSum = 0;
    for (size_t i = 4; i <= nChecksum; ++i) bSum = static_cast<uint8_t>(bSum + p[i]);
    return bSum == 0xFF ? ERequestScan::Valid : ERequestScan::BadChecksum;
}

size_t BuildSerialBootRequest(uint8_t* pOut, size_t nOutSize, int32_t nFlag, const char* pszName,
                              int nChecksumDelta) {
    const size_t nName = nFlag > 0 && pszName ? std::strlen(pszName) : 0;
    const size_t nTotal = kNameOffset + nName + 1 + sizeof kTrailer;
    if (nTotal > nOutSize || nTotal > static_cast<size_t>(SERIAL_REQUEST_MAX)) return 0;
    std::memcpy(pOut, kHead, sizeof kHead);
    // N counts from offset 8 up to and including C.
    const uint16_t wLength = static_cast<uint16_t>(nName + 5);
    pOut[6] = static_cast<uint8_t>(wLength);
    pOut[7] = static_cast<uint8_t>(wLength >> 8);
    const uint32_t dwFlag = static_cast<uint32_t>(nFlag);
    for (int i = 0; i < 4; ++i) pOut[8 + i] = static_cast<uint8_t>(dwFlag >> (8 * i));
    if (nName) std::memcpy(pOut + kNameOffset, pszName, nName);
    uint8_t bSum = 0;
    for (size_t i = 4; i < kNameOffset + nName; ++i) bSum = static_cast<uint8_t>(bSum + pOut[i]);
    pOut[kNameOffset + nName] = static_cast<uint8_t>(0xFF - bSum + nChecksumDelta);
    std::memcpy(pOut + kNameOffset + nName + 1, kTrailer, sizeof kTrailer);
    return nTotal;
}
