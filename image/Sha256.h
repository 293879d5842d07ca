#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// SHA-256 of a byte stream, fed in pieces of any size.
class CSha256 {
public:
    CSha256();
    void Update(const uint8_t* pData, size_t nSize);
    // The digest; the object is spent afterwards.
    std::array<uint8_t, 32> Final();

private:
    void Block(const uint8_t* pBlock);

    std::array<uint32_t, 8> m_state;
    std::array<uint8_t, 64> m_buffer{};
    size_t m_nBuffered = 0;
    uint64_t m_nTotal = 0;
};

// A digest as 64 lower-case hexadecimal digits, as sha256sum prints it.
std::string DigestHex(const std::array<uint8_t, 32>& digest);
std::string Sha256Hex(const uint8_t* pData, size_t nSize);
