// Any image bytes: --info's report agrees with the serial download and never reads past the file.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/ImageInfoReport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    static const std::string strPath = "/tmp/fuzz_image_info_" + std::to_string(getpid());
    FILE* f = std::fopen(strPath.c_str(), "wb");
    if (!f) return 0;
    std::fwrite("B000FF\n", 1, 7, f);
    std::fwrite(pData, 1, nSize, f);
    std::fclose(f);
    const CImageInfo info = InspectImageFile(strPath);
    if (FormatImageInfoJson(info).empty() || info.bOk != info.strProblem.empty()) std::abort();
    if (!info.bLoaded) return 0;
    FormatImageInfoText(info);
    const bool bWhole = info.chain.eResult == ERecordChain::kComplete;
    if (info.bSerialAccepts != bWhole || (info.bOk && !bWhole)) std::abort();
    if (bWhole && info.arrLoadOrder.size() != info.arrFileOrder.size()) std::abort();
    if (!info.arrLoadOrder.empty() &&
        (!info.arrLoadOrder.back().IsEnd() ||
         !std::is_sorted(info.arrLoadOrder.begin(), info.arrLoadOrder.end() - 1,
                         [](const auto& a, const auto& b) { return a.dwAddress < b.dwAddress; })))
        std::abort();
    for (const CImageSpan& span : info.arrSpans)
        if (span.nFrom >= span.nTo) std::abort();
    for (const CImageRecordInfo& rec : info.arrFileOrder)
        if (rec.nOffset + 12 + (rec.IsEnd() ? 0 : rec.dwLength) > info.nFileSize) std::abort();
    return 0;
}
