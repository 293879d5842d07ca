// Any bytes from a port: the request checker never reads past them and stays consistent.
#include <cstdlib>
#include <vector>

#include "serial/SerialRequest.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    if (nSize == 0 || nSize > static_cast<size_t>(SERIAL_REQUEST_MAX)) return 0;
    // An exact-size heap copy, so that a read past the end is caught.
    std::vector<uint8_t> bytes(pData, pData + nSize);
    const ERequestScan e = ScanSerialBootRequest(bytes.data(), bytes.size());
    if (e == ERequestScan::Valid || e == ERequestScan::BadChecksum) {
        if (SerialRequestChecksumOffset(bytes.data()) >= nSize) std::abort();
        // A complete request stays complete, with the same verdict, as more bytes come.
        std::vector<uint8_t> longer(bytes);
        longer.resize(SERIAL_REQUEST_MAX, 0x00);
        if (ScanSerialBootRequest(longer.data(), longer.size()) != e) std::abort();
    }
    return 0;
}
