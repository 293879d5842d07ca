// Any image bytes: --info's report agrees with the serial download and never reads past the file.
#include <algorithm>

#include "app/ImageInfoReport.h"
#include "tests/TestImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    static const std::string strPath = "/tmp/fuzz_image_info_" + std::to_string(getpid());
    std::vector<uint8_t> bytes = {'B', '0', '0', '0', 'F', 'F', '\n'};
    bytes.insert(bytes.end(), pData, pData + nSize);
    const CImageInfo info = InspectImageFile(WriteFile(strPath, bytes));
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
