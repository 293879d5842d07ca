#pragma once
// Boot images built record by record.
#include <cstdint>
#include <vector>

struct CImageRecord {
    uint32_t dwAddress;
    std::vector<uint8_t> data;
    uint32_t dwChecksum = 0;
};

inline void PutLe32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// An image file's bytes: the 15-byte header, the records in the order given, and an end
// record holding the entry point.
inline std::vector<uint8_t> MakeImageBytes(const std::vector<CImageRecord>& records,
                                           uint32_t dwEntry = 0x80001000) {
    std::vector<uint8_t> out = {'B', '0', '0', '0', 'F', 'F', '\n'};
    PutLe32(out, 0x80000000);
    PutLe32(out, 0x00100000);
    for (const auto& rec : records) {
        PutLe32(out, rec.dwAddress);
        PutLe32(out, static_cast<uint32_t>(rec.data.size()));
        PutLe32(out, rec.dwChecksum);
        out.insert(out.end(), rec.data.begin(), rec.data.end());
    }
    PutLe32(out, 0);
    PutLe32(out, dwEntry);
    PutLe32(out, 0);
    return out;
}

inline std::vector<uint8_t> Pattern(size_t n, uint8_t bSeed) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(bSeed + i * 7 + (i >> 8));
    return v;
}
