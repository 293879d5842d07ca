#include "app/ImageInfo.h"

#include <algorithm>
#include <cstdio>

#include "base/FormatText.h"
#include "platform/LastError.h"

namespace {

std::string Hex(uint64_t n) {
    char sz[24];
    std::snprintf(sz, sizeof sz, "0x%08llx", static_cast<unsigned long long>(n));
    return sz;
}

uint32_t Le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

CImageRecordInfo Describe(const CTransferFileRecInfo& rec, const uint8_t* pImage) {
    CImageRecordInfo info;
    info.nOffset = static_cast<uint64_t>(rec.Header() - pImage);
    info.dwAddress = rec.Address();
    info.dwLength = rec.Length();
    info.dwStored = rec.Checksum();
    info.dwComputed = info.IsEnd() ? 0 : ComputeRecordChecksum(rec);
    return info;
}

std::vector<CImageSpan> FindSpans(const std::vector<CImageRecordInfo>& arrLoadOrder) {
    std::vector<CImageSpan> arrSpans;
    uint64_t nCovered = 0;
    bool bAny = false;
    for (const CImageRecordInfo& rec : arrLoadOrder) {
        if (rec.IsEnd() || rec.dwLength == 0) continue;
        const uint64_t nFrom = rec.dwAddress, nTo = nFrom + rec.dwLength;
        if (bAny && nFrom > nCovered) arrSpans.push_back({false, nCovered, nFrom});
        if (bAny && nFrom < nCovered) arrSpans.push_back({true, nFrom, std::min(nTo, nCovered)});
        nCovered = bAny ? std::max(nCovered, nTo) : nTo;
        bAny = true;
    }
    return arrSpans;
}

std::string ChainProblem(const CImageInfo& info, const uint8_t* pData) {
    const uint64_t nOffset = info.chain.nOffset;
    switch (info.chain.eResult) {
        case ERecordChain::kComplete:
            return {};
        case ERecordChain::kImageHeaderCut:
            return "the file ends inside the image header (" + std::to_string(info.nFileSize) +
                   " of " + std::to_string(CTransferFile::kImageHeaderSize) + " bytes)";
        case ERecordChain::kRecordHeaderCut:
            return "the file is shorter than its header says: it ends inside the record header "
                   "at offset " +
                   Hex(nOffset) + " (" + std::to_string(info.nFileSize - nOffset) + " of 12 bytes)";
        case ERecordChain::kDataCut: {
            const CTransferFileRecInfo rec(pData + nOffset);
            const uint64_t nRemain = info.nFileSize - nOffset - CTransferFileRecInfo::kHeaderSize;
            return "the file is shorter than its header says: the record at offset " +
                   Hex(nOffset) + " (address " + Hex(rec.Address()) + ") holds " +
                   std::to_string(rec.Length()) + " data bytes, but only " +
                   std::to_string(nRemain) + " follow";
        }
        case ERecordChain::kNoEndRecord:
            return "no end record: the file ends after " +
                   std::to_string(info.arrFileOrder.size()) + " records";
    }
    return {};
}

}  // namespace

CImageInfo InspectImage(CTransferFile& file, const std::string& strPath) {
    CImageInfo info;
    info.strPath = strPath;
    info.bLoaded = true;
    const uint8_t* pData = file.Data();
    info.nFileSize = file.Length();
    info.bHeader = info.nFileSize >= CTransferFile::kImageHeaderSize;
    if (info.bHeader) {
        info.dwImageStart = Le32(pData + 7);
        info.dwImageLength = Le32(pData + 11);
    }
    info.chain = WalkRecordChain(pData, info.nFileSize, [&](const CTransferFileRecInfo& rec) {
        info.arrFileOrder.push_back(Describe(rec, pData));
    });
    // The serial download's own verdict, from the index it would send in.
    info.bSerialAccepts = file.BuildRecordIndex();
    if (info.bSerialAccepts) {
        for (size_t i = 0; i < file.RecordCount(); ++i)
            info.arrLoadOrder.push_back(Describe(file.Record(i), pData));
    }
    info.arrSpans = FindSpans(info.arrLoadOrder);
    if (info.chain.eResult == ERecordChain::kComplete)
        info.nTrailingBytes =
            info.nFileSize - (info.chain.nOffset + CTransferFileRecInfo::kHeaderSize);

    const CImageRecordInfo* pFirstBad = nullptr;
    for (const CImageRecordInfo& rec : info.arrFileOrder) {
        if (rec.ChecksumHolds()) continue;
        if (!pFirstBad) pFirstBad = &rec;
        ++info.nBadChecksums;
    }
    info.strProblem = ChainProblem(info, pData);
    if (info.strProblem.empty() && pFirstBad) {
        info.strProblem = "the record at offset " + Hex(pFirstBad->nOffset) + " (address " +
                          Hex(pFirstBad->dwAddress) + ") fails its checksum: stored " +
                          Hex(pFirstBad->dwStored) + ", computed " + Hex(pFirstBad->dwComputed);
        if (info.nBadChecksums > 1)
            info.strProblem += " (and " + std::to_string(info.nBadChecksums - 1) + " more)";
    }
    info.bOk = info.strProblem.empty();
    return info;
}

CImageInfo InspectImageFile(const std::string& strPath) {
    CTransferFile file;
    if (file.Load(strPath, nullptr)) return InspectImage(file, strPath);
    CImageInfo info;
    info.strPath = strPath;
    const uint32_t dwError = GetLastError();
    info.strProblem = FormatErrorText(dwError, file.RefusedBecause());
    if (dwError != ERROR_UNKNOWN_REVISION) info.strProblem = "cannot read it: " + info.strProblem;
    return info;
}

std::string SerialBootFileProblem(const std::string& strPath) {
    const CImageInfo info = InspectImageFile(strPath);
    return info.bLoaded && info.bSerialAccepts ? std::string() : info.strProblem;
}
