#pragma once
#include <cstdint>
#include <string>
#include <vector>

// A boot image as the unit expects to receive it: the header, then the records by
// ascending load address (a later record first among equal addresses), the end record
// last. Parsed here on its own, so that the check does not share the server's code.
struct CExpectedRecord {
    uint32_t dwAddress = 0;
    uint32_t dwLength = 0;
    size_t nOffset = 0;  // of the 12-byte header in the file
};

struct CExpectedImage {
    std::vector<uint8_t> bytes;
    std::vector<CExpectedRecord> records;  // in sending order, end record last
};

bool LoadExpectedImage(const std::string& strPath, CExpectedImage& image, std::string& strError);
