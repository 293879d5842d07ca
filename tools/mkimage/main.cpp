// orx-mkimage: writes a valid sample boot image of an exact size.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "tools/mkimage/ImageBuilder.h"

namespace {

const char kUsage[] =
    "usage: orx-mkimage --size N --records K --out FILE [--seed S] [--descending]\n"
    "  Writes a boot image of exactly N bytes: signature, header, K data records with\n"
    "  pseudo-random data (the same for the same seed), and the end record.\n"
    "  --descending  stores the records from the highest load address down\n";

bool ParseNumber(const char* psz, uint64_t nMax, uint64_t& nOut) {
    if (psz == nullptr || *psz == '\0' || *psz == '-') return false;
    char* pEnd = nullptr;
    errno = 0;
    const unsigned long long n = std::strtoull(psz, &pEnd, 0);
    if (errno != 0 || *pEnd != '\0' || n > nMax) return false;
    nOut = n;
    return true;
}

int Fail(const std::string& str) {
    std::fprintf(stderr, "orx-mkimage: %s\n", str.c_str());
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    CSampleImageSpec spec;
    std::string strOut;
    bool bSize = false, bRecords = false;
    for (int i = 1; i < argc; ++i) {
        const std::string strArg = argv[i];
        const char* pszValue = i + 1 < argc ? argv[i + 1] : nullptr;
        uint64_t n = 0;
        if (strArg == "--help" || strArg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (strArg == "--descending") {
            spec.bDescending = true;
            continue;
        } else if (strArg == "--size" && ParseNumber(pszValue, kSampleMaxSize, n)) {
            spec.nSize = uint32_t(n);
            bSize = true;
        } else if (strArg == "--records" && ParseNumber(pszValue, kSampleMaxRecords, n)) {
            spec.nRecords = uint32_t(n);
            bRecords = true;
        } else if (strArg == "--seed" && ParseNumber(pszValue, UINT64_MAX, n)) {
            spec.nSeed = n;
        } else if (strArg == "--out" && pszValue != nullptr) {
            strOut = pszValue;
        } else {
            std::fputs(kUsage, stderr);
            return Fail("bad or incomplete option '" + strArg + "'");
        }
        ++i;
    }
    if (!bSize || !bRecords || strOut.empty()) {
        std::fputs(kUsage, stderr);
        return Fail("--size, --records and --out are required");
    }

    std::vector<uint8_t> arrImage;
    if (!BuildSampleImage(spec, arrImage)) {
        return Fail("cannot make " + std::to_string(spec.nRecords) + " records in " +
                    std::to_string(spec.nSize) + " bytes (at least " +
                    std::to_string(MinSampleImageSize(spec.nRecords)) + ", at most " +
                    std::to_string(kSampleMaxSize) + ")");
    }
    std::ofstream out(strOut, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(arrImage.data()), std::streamsize(arrImage.size()));
    out.close();
    if (!out) return Fail("cannot write '" + strOut + "': " + std::strerror(errno));
    return 0;
}
