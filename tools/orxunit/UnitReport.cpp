#include "tools/orxunit/UnitReport.h"

#include <algorithm>
#include <cstdio>

namespace orxunit {

namespace {

double MiBPerSecond(uint64_t nBytes, double dSeconds) {
    return dSeconds > 0 ? double(nBytes) / 1048576.0 / dSeconds : 0.0;
}

}  // namespace

int ReportUnits(const std::vector<CUnitSlot>& arrSlots) {
    int nExit = kExitOk;
    size_t nOk = 0;
    uint64_t nBytes = 0, nFirstUs = UINT64_MAX, nLastUs = 0;
    for (const CUnitSlot& slot : arrSlots) {
        const CUnitResult& r = slot.pSession->Result();
        const char* pszName = slot.pSession->Name().c_str();
        if (r.nCode != kExitOk) {
            std::fprintf(stderr, "orxunit: %s: %s\n", pszName, r.strReason.c_str());
            // A unit that failed outweighs one that only waited in vain.
            if (nExit != kExitFailed) nExit = r.nCode;
            continue;
        }
        ++nOk;
        nBytes += r.nBytes;
        nFirstUs = std::min(nFirstUs, r.nStartUs);
        nLastUs = std::max(nLastUs, r.nEndUs);
        std::printf("%s: ok, %llu bytes in %.3f s, %.2f MiB/s%s%s\n", pszName,
                    static_cast<unsigned long long>(r.nBytes), r.dSeconds,
                    MiBPerSecond(r.nBytes, r.dSeconds), r.strNote.empty() ? "" : "; ",
                    r.strNote.c_str());
    }
    if (arrSlots.size() > 1) {
        const double dSpan = nOk ? double(nLastUs - nFirstUs) / 1e6 : 0.0;
        std::printf("total: %zu of %zu units ok, %llu bytes in %.3f s, %.2f MiB/s\n", nOk,
                    arrSlots.size(), static_cast<unsigned long long>(nBytes), dSpan,
                    MiBPerSecond(nBytes, dSpan));
    }
    std::fflush(stdout);
    return nExit;
}

}  // namespace orxunit
