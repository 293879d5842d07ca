#include "tools/orxunit/SerialImage.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace {
uint32_t Le32(const std::vector<uint8_t>& b, size_t i) {
    return uint32_t(b[i]) | uint32_t(b[i + 1]) << 8 | uint32_t(b[i + 2]) << 16 |
           uint32_t(b[i + 3]) << 24;
}
}  // namespace

bool LoadExpectedImage(const std::string& strPath, CExpectedImage& image, std::string& strError) {
    std::ifstream in(strPath, std::ios::binary);
    if (!in) {
        strError = strPath + ": cannot be read";
        return false;
    }
    image.bytes.assign(std::istreambuf_iterator<char>(in), {});
    image.records.clear();
    std::vector<CExpectedRecord> inFile;
    size_t nOffset = 15;
    for (;;) {
        if (nOffset + 12 > image.bytes.size()) {
            strError = strPath + ": the record chain is broken";
            return false;
        }
        CExpectedRecord rec{Le32(image.bytes, nOffset), Le32(image.bytes, nOffset + 4), nOffset};
        if (rec.dwAddress == 0) {
            std::reverse(inFile.begin(), inFile.end());
            std::stable_sort(inFile.begin(), inFile.end(), [](const auto& a, const auto& b) {
                return a.dwAddress < b.dwAddress;
            });
            image.records = std::move(inFile);
            image.records.push_back(rec);
            return true;
        }
        inFile.push_back(rec);
        nOffset += 12 + size_t(rec.dwLength);
    }
}
