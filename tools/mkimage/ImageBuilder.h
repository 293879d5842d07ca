#pragma once
// Builds sample boot images: pure, deterministic, no file access.
#include <algorithm>
#include <cstdint>
#include <vector>

struct CSampleImageSpec {
    uint32_t nSize = 0;     // whole file, end record included
    uint32_t nRecords = 0;  // data records, the end record not counted
    uint64_t nSeed = 1;
    bool bDescending = false;  // records in the file from the highest address down
};

constexpr uint32_t kSampleImageHeader = 15;  // signature, image start, image length
constexpr uint32_t kSampleRecordHeader = 12;
constexpr uint32_t kSampleLoadBase = 0x80001000u;
// Keeps every load address below 4 GiB whatever the record count.
constexpr uint32_t kSampleMaxSize = 1u << 30;
constexpr uint32_t kSampleMaxRecords = 65536;

// Every data record carries at least one byte.
inline uint64_t MinSampleImageSize(uint32_t nRecords) {
    return uint64_t(kSampleImageHeader) + kSampleRecordHeader +
           uint64_t(nRecords) * (kSampleRecordHeader + 1);
}

// splitmix64: the same seed gives the same image on every machine.
class CSampleRandom {
public:
    explicit CSampleRandom(uint64_t nSeed) : m_nState(nSeed) {}
    uint64_t Next() {
        uint64_t z = (m_nState += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

private:
    uint64_t m_nState;
};

inline void PutLe32(std::vector<uint8_t>& arr, uint32_t dw) {
    for (int i = 0; i < 4; ++i) arr.push_back(uint8_t(dw >> (8 * i)));
}

// Record lengths that add up to nPayload, each at least 1 and of uneven sizes, so that
// record boundaries fall anywhere inside the 512-byte blocks of a transfer.
inline std::vector<uint32_t> SplitSamplePayload(uint32_t nPayload, uint32_t nRecords,
                                                CSampleRandom& rnd) {
    std::vector<uint32_t> arrLen(nRecords, 1);
    if (nRecords == 0) return arrLen;
    std::vector<uint32_t> arrWeight(nRecords);
    uint64_t nWeights = 0;
    for (auto& w : arrWeight) nWeights += (w = 1 + uint32_t(rnd.Next() % 4));
    const uint64_t nExtra = nPayload - nRecords;
    uint64_t nGiven = 0;
    for (uint32_t i = 0; i < nRecords; ++i) {
        const uint32_t n = uint32_t(nExtra * arrWeight[i] / nWeights);
        arrLen[i] += n;
        nGiven += n;
    }
    arrLen.back() += uint32_t(nExtra - nGiven);
    return arrLen;
}

// False when the requested image cannot be made (size below MinSampleImageSize or above the
// limits).
inline bool BuildSampleImage(const CSampleImageSpec& spec, std::vector<uint8_t>& arrOut) {
    arrOut.clear();
    if (spec.nRecords > kSampleMaxRecords || spec.nSize > kSampleMaxSize ||
        spec.nSize < MinSampleImageSize(spec.nRecords))
        return false;
    CSampleRandom rnd(spec.nSeed);
    const uint32_t nPayload =
        uint32_t(spec.nSize - (MinSampleImageSize(spec.nRecords) - spec.nRecords));
    const std::vector<uint32_t> arrLen = SplitSamplePayload(nPayload, spec.nRecords, rnd);

    // Ascending load addresses, each record on its own 4 KiB page.
    std::vector<uint32_t> arrAddr(spec.nRecords);
    uint32_t dwNext = kSampleLoadBase;
    for (uint32_t i = 0; i < spec.nRecords; ++i) {
        arrAddr[i] = dwNext;
        dwNext = (dwNext + arrLen[i] + 0xFFFu) & ~0xFFFu;
    }
    const uint32_t dwStart = kSampleLoadBase;
    const uint32_t dwImageLen = spec.nRecords ? arrAddr.back() + arrLen.back() - dwStart : 0;

    arrOut.reserve(spec.nSize);
    const char szSignature[] = "B000FF\n";
    arrOut.insert(arrOut.end(), szSignature, szSignature + 7);
    PutLe32(arrOut, dwStart);
    PutLe32(arrOut, dwImageLen);
    for (uint32_t k = 0; k < spec.nRecords; ++k) {
        const uint32_t i = spec.bDescending ? spec.nRecords - 1 - k : k;
        PutLe32(arrOut, arrAddr[i]);
        PutLe32(arrOut, arrLen[i]);
        const size_t nChecksumAt = arrOut.size();
        PutLe32(arrOut, 0);
        uint32_t dwSum = 0;
        // Data depends on the record, not on the file order, so both orders hold the same records.
        CSampleRandom rndData(spec.nSeed ^ (uint64_t(arrAddr[i]) << 20));
        for (uint32_t j = 0; j < arrLen[i]; j += 8) {
            const uint64_t r = rndData.Next();
            for (uint32_t b = 0; b < 8 && j + b < arrLen[i]; ++b) {
                const uint8_t by = uint8_t(r >> (8 * b));
                arrOut.push_back(by);
                dwSum += by;
            }
        }
        for (int b = 0; b < 4; ++b) arrOut[nChecksumAt + b] = uint8_t(dwSum >> (8 * b));
    }
    // End record: address 0, the entry point in the length field, checksum 0.
    PutLe32(arrOut, 0);
    PutLe32(arrOut, dwStart);
    PutLe32(arrOut, 0);
    return arrOut.size() == spec.nSize;
}
