#include "net/WireFormat.h"

#include <algorithm>
#include <cstring>

#include "base/TerminalText.h"

namespace {
constexpr uint16_t OPCODE_WRQ = 2;
constexpr uint16_t OPCODE_DATA = 3;
const char kNewboot[NEWBOOT_HEADER_LEN + 1] = "newboot ";

void PutBig16(uint8_t* p, uint16_t w) {
    p[0] = static_cast<uint8_t>(w >> 8);
    p[1] = static_cast<uint8_t>(w);
}
}  // namespace

bool DecodeBootRequest(const uint8_t* pData, size_t nLen, CBootRequest& request) {
    if (nLen != BOOT_REQUEST_LEN) return false;
    std::memcpy(request.arrMac.data(), pData + BOOT_REQUEST_MAC_OFFSET, request.arrMac.size());
    // The field may fill all 16 bytes without a NUL; the name then ends at the field's end.
    const uint8_t* pName = pData + BOOT_REQUEST_NAME_OFFSET;
    const uint8_t* pEnd = std::find(pName, pName + BOOT_REQUEST_NAME_MAX, uint8_t{0});
    request.strName = PrintableText(pName, static_cast<size_t>(pEnd - pName));
    return true;
}

bool HasOrxPrefix(const CBootRequest& request) {
    return std::memcmp(request.arrMac.data(), ORX_MANUFACTURER_PREFIX, 3) == 0;
}

size_t BuildWriteRequest(uint8_t* pOut) {
    PutBig16(pOut, OPCODE_WRQ);
    std::memcpy(pOut + 2, "boot.bin", 9);  // with its NUL
    std::memcpy(pOut + 11, "octet", 6);    // with its NUL
    return WRITE_REQUEST_LEN;
}

size_t BuildJumpPacket(uint8_t* pOut) {
    static const uint8_t kJump[JUMP_PACKET_LEN] = {'E',  'D',  'B',  'G', 0xFF,
                                                   0x01, 0x00, 0x02, 0x00};
    std::memcpy(pOut, kJump, JUMP_PACKET_LEN);
    return JUMP_PACKET_LEN;
}

size_t BuildDataBlock(uint8_t* pOut, const uint8_t* pImage, uint32_t nImageLen, uint32_t nOffset,
                      uint16_t wBlock, uint32_t nMaxData) {
    if (nOffset >= nImageLen || nMaxData == 0) return 0;
    const uint32_t n = std::min(nImageLen - nOffset, nMaxData);
    PutBig16(pOut, OPCODE_DATA);
    PutBig16(pOut + 2, wBlock);
    std::memcpy(pOut + DATA_HEADER_LEN, pImage + nOffset, n);
    return DATA_HEADER_LEN + n;
}

std::vector<uint8_t> BuildNewbootBroadcast(const std::string& strHostName) {
    // Sized once and filled in place: growing it by insert trips a false array-bounds
    // warning in optimised GCC builds.
    std::vector<uint8_t> packet(NEWBOOT_HEADER_LEN + strHostName.size() + 1, 0);
    std::memcpy(packet.data(), kNewboot, NEWBOOT_HEADER_LEN);
    if (!strHostName.empty())
        std::memcpy(packet.data() + NEWBOOT_HEADER_LEN, strHostName.data(), strHostName.size());
    return packet;
}

bool DecodeNewbootBroadcast(const uint8_t* pData, size_t nLen, std::string& strHostName) {
    if (nLen < NEWBOOT_MIN_LEN || nLen > NEWBOOT_MAX_LEN) return false;
    if (std::memcmp(pData, kNewboot, NEWBOOT_HEADER_LEN) != 0) return false;
    const uint8_t* pName = pData + NEWBOOT_HEADER_LEN;
    const uint8_t* pEnd = std::find(pName, pData + nLen, uint8_t{0});
    strHostName = PrintableText(pName, static_cast<size_t>(pEnd - pName));
    return true;
}
