#pragma once
// What a boot image holds and whether it is sound, for `orxboot --info`, the wizard and the
// start of the servers, in the same words. Everything here is read through the engine's
// image reader, record walk and record index.
#include <cstdint>
#include <string>
#include <vector>

#include "image/RecordChain.h"
#include "image/TransferFile.h"

struct CImageRecordInfo {
    uint64_t nOffset = 0;  // of the record header in the file
    uint32_t dwAddress = 0;
    uint32_t dwLength = 0;  // the entry point in the end record
    uint32_t dwStored = 0;
    uint32_t dwComputed = 0;
    bool IsEnd() const { return dwAddress == 0; }
    // The end record carries no data, so its checksum is not judged.
    bool ChecksumHolds() const { return IsEnd() || dwStored == dwComputed; }
};

// A stretch of load addresses that no record fills (gap) or that two records fill (overlap).
struct CImageSpan {
    bool bOverlap = false;
    uint64_t nFrom = 0;  // first address
    uint64_t nTo = 0;    // one past the last address
};

struct CImageInfo {
    std::string strPath;
    bool bLoaded = false;  // false: only strProblem tells anything
    uint32_t nFileSize = 0;
    bool bHeader = false;  // the image start and length fields are there
    uint32_t dwImageStart = 0;
    uint32_t dwImageLength = 0;
    std::vector<CImageRecordInfo> arrFileOrder;  // every whole record, end record last
    CRecordChainEnd chain;
    // The order a serial download sends; empty when the download refuses the image.
    std::vector<CImageRecordInfo> arrLoadOrder;
    std::vector<CImageSpan> arrSpans;  // in address order
    uint64_t nTrailingBytes = 0;       // after the end record, never sent by a serial download
    size_t nBadChecksums = 0;
    bool bSerialAccepts = false;
    bool bOk = false;
    std::string strProblem;  // one line when not ok
};

// Reads the file with the engine's reader and inspects it.
CImageInfo InspectImageFile(const std::string& strPath);
// Inspects an image that the reader has loaded; builds its record index.
CImageInfo InspectImage(CTransferFile& file, const std::string& strPath);

// Why a serial download could not use the file, or nothing when it can.
std::string SerialBootFileProblem(const std::string& strPath);
