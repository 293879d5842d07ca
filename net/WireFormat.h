#pragma once
// The datagrams of the network boot, built and decoded over plain bytes.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr size_t BOOT_REQUEST_LEN = 64;
constexpr size_t BOOT_REQUEST_MAC_OFFSET = 10;
constexpr size_t BOOT_REQUEST_NAME_OFFSET = 37;
constexpr size_t BOOT_REQUEST_NAME_MAX = 16;

constexpr size_t WRITE_REQUEST_LEN = 17;
constexpr size_t DATA_HEADER_LEN = 4;
constexpr uint32_t DATA_BLOCK_MAX = 512;
constexpr size_t JUMP_PACKET_LEN = 9;

constexpr size_t NEWBOOT_HEADER_LEN = 8;
constexpr size_t NEWBOOT_MIN_LEN = 9;
constexpr size_t NEWBOOT_MAX_LEN = 258;

// Receive buffers: a datagram that does not fit is a receive error, not a short packet.
constexpr size_t SERVER_RECEIVE_BUFFER = 1446;
constexpr size_t BROADCAST_RECEIVE_BUFFER = 260;

// The first three bytes of every unit's MAC address.
constexpr uint8_t ORX_MANUFACTURER_PREFIX[3] = {0x02, 0x4F, 0x52};

struct CBootRequest {
    std::array<uint8_t, 6> arrMac{};  // the unit's Ethernet address; the maker's prefix first
    // At most 16 characters; bytes that are not printable ASCII arrive as '?'.
    std::string strName;
};

// False when the datagram is not a boot request (any length other than 64).
bool DecodeBootRequest(const uint8_t* pData, size_t nLen, CBootRequest& request);
bool HasOrxPrefix(const CBootRequest& request);

// Each writer fills pOut and returns the packet length.
size_t BuildWriteRequest(uint8_t* pOut);  // needs WRITE_REQUEST_LEN bytes
size_t BuildJumpPacket(uint8_t* pOut);    // needs JUMP_PACKET_LEN bytes
// The block carrying image bytes from nOffset, at most nMaxData of them (pOut needs
// DATA_HEADER_LEN + nMaxData bytes); 0 when the offset has reached the image's end.
size_t BuildDataBlock(uint8_t* pOut, const uint8_t* pImage, uint32_t nImageLen, uint32_t nOffset,
                      uint16_t wBlock, uint32_t nMaxData = DATA_BLOCK_MAX);

std::vector<uint8_t> BuildNewbootBroadcast(const std::string& strHostName);
// False unless 9..258 bytes starting "newboot "; the name runs to the end or the first NUL,
// with bytes that are not printable ASCII as '?'.
bool DecodeNewbootBroadcast(const uint8_t* pData, size_t nLen, std::string& strHostName);
