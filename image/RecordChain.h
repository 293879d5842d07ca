#pragma once
// The walk along an image's record chain in file order: the one place that decides where
// records lie and whether the chain is whole. Pure, over the loaded bytes.
#include <cstdint>

#include "image/TransferFile.h"

enum class ERecordChain {
    kComplete,         // ends with its end record
    kImageHeaderCut,   // the file is shorter than the image header
    kRecordHeaderCut,  // a record header runs past the end of the file
    kDataCut,          // a record's data runs past the end of the file
    kNoEndRecord,      // the last record ends exactly at the end of the file
};

struct CRecordChainEnd {
    ERecordChain eResult = ERecordChain::kComplete;
    // Where the walk stopped: the end record, the cut record, or the end of the file.
    uint64_t nOffset = 0;
};

// Hands every whole record to fnRecord in file order, the end record last; a record whose
// data runs past the end is not handed over. Nothing after the end record is looked at.
template <class F>
CRecordChainEnd WalkRecordChain(const uint8_t* pData, uint32_t nLength, F&& fnRecord) {
    if (nLength < CTransferFile::kImageHeaderSize) return {ERecordChain::kImageHeaderCut, 0};
    uint64_t nOffset = CTransferFile::kImageHeaderSize;
    for (;;) {
        if (nOffset == nLength) return {ERecordChain::kNoEndRecord, nOffset};
        if (nOffset + CTransferFileRecInfo::kHeaderSize > nLength)
            return {ERecordChain::kRecordHeaderCut, nOffset};
        const CTransferFileRecInfo rec(pData + nOffset);
        if (rec.Address() == 0) {
            fnRecord(rec);
            return {ERecordChain::kComplete, nOffset};
        }
        const uint64_t nNext = nOffset + CTransferFileRecInfo::kHeaderSize + rec.Length();
        if (nNext > nLength) return {ERecordChain::kDataCut, nOffset};
        fnRecord(rec);
        nOffset = nNext;
    }
}

// The checksum a data record should carry: the sum of its data bytes, modulo 2^32.
inline uint32_t ComputeRecordChecksum(const CTransferFileRecInfo& rec) {
    uint32_t dwSum = 0;
    const uint8_t* p = rec.Data();
    for (uint32_t i = 0; i < rec.Length(); ++i) dwSum += p[i];
    return dwSum;
}
