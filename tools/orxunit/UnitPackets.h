#pragma once
// The packets a simulated unit sends and checks: pure functions over bytes.
// Written apart from the server's own packet code, so the two check each other.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace orxunit {

using CBytes = std::vector<uint8_t>;

constexpr size_t kBootRequestSize = 64;
constexpr size_t kNameOffset = 37;
constexpr size_t kNameMax = 16;
constexpr size_t kMacOffset = 10;
constexpr size_t kBlockData = 512;

constexpr uint16_t kOpWrq = 2;
constexpr uint16_t kOpData = 3;
constexpr uint16_t kOpAck = 4;
constexpr uint16_t kOpError = 5;

using CMac = std::array<uint8_t, 6>;

// "02:4F:52:00:00:01" (or with '-'); false on anything else.
inline bool ParseMac(const std::string& str, CMac& mac) {
    if (str.size() != 17) return false;
    for (size_t i = 0; i < 6; ++i) {
        if (i > 0 && str[3 * i - 1] != ':' && str[3 * i - 1] != '-') return false;
        unsigned v = 0;
        for (size_t k = 0; k < 2; ++k) {
            const char c = str[3 * i + k];
            const int d = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
            if (d < 0) return false;
            v = v * 16 + unsigned(d);
        }
        mac[i] = uint8_t(v);
    }
    return true;
}

// The unit's 64-byte announcement: an EDBG admin header (BOOTME), loader version, MAC,
// own address and platform, then the name, NUL-terminated when shorter than 16.
inline CBytes BuildBootRequest(const CMac& mac, const std::string& strName, uint32_t dwAddrNet,
                               uint8_t nSequence) {
    CBytes arr(kBootRequestSize, 0);
    const uint8_t header[8] = {'E', 'D', 'B', 'G', 0xFF, 0x00, nSequence, 0x00};
    std::memcpy(arr.data(), header, sizeof header);
    arr[8] = 2;  // loader version 2.0
    std::memcpy(arr.data() + kMacOffset, mac.data(), mac.size());
    std::memcpy(arr.data() + 16, &dwAddrNet, 4);
    const char szPlatform[] = "ORXSIM";
    std::memcpy(arr.data() + 20, szPlatform, sizeof szPlatform - 1);
    std::memcpy(arr.data() + kNameOffset, strName.data(), std::min(strName.size(), kNameMax));
    return arr;
}

inline uint16_t GetBe16(const uint8_t* p) {
    return uint16_t(p[0] << 8 | p[1]);
}

// The only write request a boot server may send: opcode 2, "boot.bin", "octet".
inline bool IsBootWriteRequest(const uint8_t* p, size_t n) {
    static const uint8_t kWrq[17] = {0,   2, 'b', 'o', 'o', 't', '.', 'b', 'i',
                                     'n', 0, 'o', 'c', 't', 'e', 't', 0};
    return n == sizeof kWrq && std::memcmp(p, kWrq, n) == 0;
}

struct CWriteRequest {
    std::string strFile;
    std::string strMode;  // lower case
};

// Any RFC 1350 write request; options after the mode are allowed and ignored.
inline bool ParseWriteRequest(const uint8_t* p, size_t n, CWriteRequest& wrq) {
    if (n < 4 || GetBe16(p) != kOpWrq) return false;
    const uint8_t* pEnd = p + n;
    const uint8_t* pFile = p + 2;
    const uint8_t* pNul = static_cast<const uint8_t*>(std::memchr(pFile, 0, size_t(pEnd - pFile)));
    if (pNul == nullptr || pNul == pFile) return false;
    const uint8_t* pMode = pNul + 1;
    const uint8_t* pModeEnd =
        pMode < pEnd ? static_cast<const uint8_t*>(std::memchr(pMode, 0, size_t(pEnd - pMode)))
                     : nullptr;
    if (pModeEnd == nullptr || pModeEnd == pMode) return false;
    wrq.strFile.assign(pFile, pNul);
    wrq.strMode.clear();
    for (const uint8_t* q = pMode; q < pModeEnd; ++q)
        wrq.strMode += char(*q >= 'A' && *q <= 'Z' ? *q + 32 : *q);
    return true;
}

struct CDataBlock {
    uint16_t wBlock = 0;
    const uint8_t* pData = nullptr;
    size_t nData = 0;
};

// An RFC 1350 DATA packet of 0 to 512 data bytes.
inline bool ParseDataBlock(const uint8_t* p, size_t n, CDataBlock& block) {
    if (n < 4 || n > 4 + kBlockData || GetBe16(p) != kOpData) return false;
    block.wBlock = GetBe16(p + 2);
    block.pData = p + 4;
    block.nData = n - 4;
    return true;
}

inline CBytes BuildAck(uint16_t wBlock) {
    return {0, uint8_t(kOpAck), uint8_t(wBlock >> 8), uint8_t(wBlock)};
}

inline CBytes BuildError(uint16_t wCode, const std::string& strText) {
    // Sized once: the text goes in behind the 4-byte header, the NUL is already there.
    CBytes arr(4 + strText.size() + 1, 0);
    arr[1] = uint8_t(kOpError);
    arr[2] = uint8_t(wCode >> 8);
    arr[3] = uint8_t(wCode);
    std::copy(strText.begin(), strText.end(), arr.begin() + 4);
    return arr;
}

// EDBG admin command "jump to the downloaded image", exactly these 9 bytes.
inline bool IsJumpCommand(const uint8_t* p, size_t n) {
    static const uint8_t kJump[9] = {'E', 'D', 'B', 'G', 0xFF, 0x01, 0x00, 0x02, 0x00};
    return n == sizeof kJump && std::memcmp(p, kJump, n) == 0;
}

// The unit's reply to the jump: the same command echoed with the acknowledge flag.
inline CBytes BuildJumpAnswer() {
    return {'E', 'D', 'B', 'G', 0xFF, 0x02, 0x00, 0x02, 0x00};
}

// Text from the wire up to its NUL, with control bytes shown as '?' so a terminal is safe.
inline std::string PrintableText(const uint8_t* p, size_t n) {
    std::string str;
    for (size_t i = 0; i < n && p[i] != 0; ++i)
        str += (p[i] >= 0x20 && p[i] < 0x7F) ? char(p[i]) : '?';
    return str;
}

// Printable form of bytes from the wire for an error line.
inline std::string HexDump(const uint8_t* p, size_t n, size_t nMax = 24) {
    static const char kHex[] = "0123456789abcdef";
    std::string str;
    for (size_t i = 0; i < n && i < nMax; ++i) {
        if (i) str += ' ';
        str += kHex[p[i] >> 4];
        str += kHex[p[i] & 15];
    }
    if (n > nMax) str += " ...";
    return str;
}

}  // namespace orxunit
