#pragma once
// Follows the DATA blocks of one transfer: numbering, repeats, end and content.
#include <cstdint>
#include <string>

#include "tools/orxunit/UnitPackets.h"

namespace orxunit {

class CBlockReceiver {
public:
    enum class EBlock { New, Repeat, Bad };

    // pExpected: the bytes that must arrive, checked as they come; null keeps what arrives.
    // bEmptyLastBlock: a file of whole blocks ends with an empty block (plain TFTP);
    // without it the sender stops after the last full block and the caller knows the end.
    CBlockReceiver(const CBytes* pExpected, bool bEmptyLastBlock)
        : m_pExpected(pExpected), m_bEmptyLastBlock(bEmptyLastBlock) {}

    EBlock Accept(const CDataBlock& block) {
        if (m_nBlocks > 0 && block.wBlock == m_wLast) return CheckRepeat(block);
        const uint16_t wWant = uint16_t(m_wLast + 1);
        if (block.wBlock != wWant)
            return Bad("block " + std::to_string(block.wBlock) + " out of order, expected " +
                       std::to_string(wWant));
        if (m_bEnded) return Bad("block " + std::to_string(block.wBlock) + " after the last block");
        if (block.nData == 0 && !m_bEmptyLastBlock)
            return Bad("empty block " + std::to_string(block.wBlock));
        if (m_pExpected) {
            const uint64_t nTotal = m_pExpected->size();
            if (m_nReceived + block.nData > nTotal)
                return Bad("block " + std::to_string(block.wBlock) + " runs past the image end (" +
                           std::to_string(nTotal) + " bytes)");
            if (block.nData < kBlockData && m_nReceived + block.nData != nTotal)
                return Bad("short block " + std::to_string(block.wBlock) + " of " +
                           std::to_string(block.nData) + " bytes at offset " +
                           std::to_string(m_nReceived));
            for (size_t i = 0; i < block.nData; ++i) {
                if (block.pData[i] != (*m_pExpected)[m_nReceived + i])
                    return Bad("byte at offset " + std::to_string(m_nReceived + i) +
                               " differs from the image");
            }
        } else {
            m_arrKept.insert(m_arrKept.end(), block.pData, block.pData + block.nData);
        }
        m_wLast = block.wBlock;
        m_nLastOffset = m_nReceived;
        m_nLastLen = block.nData;
        m_nReceived += block.nData;
        ++m_nBlocks;
        m_bEnded = block.nData < kBlockData;
        return EBlock::New;
    }

    // Blocks taken so far (not wrapped), bytes taken, and whether a short block ended it.
    uint64_t Blocks() const { return m_nBlocks; }
    uint16_t LastBlock() const { return m_wLast; }
    uint64_t Received() const { return m_nReceived; }
    uint64_t Repeats() const { return m_nRepeats; }
    bool Ended() const { return m_bEnded; }
    bool HasAll() const { return m_pExpected && m_nReceived == m_pExpected->size(); }
    const CBytes& Kept() const { return m_arrKept; }
    const std::string& Error() const { return m_strError; }

private:
    // A block sent again must be the same packet as before.
    EBlock CheckRepeat(const CDataBlock& block) {
        const uint8_t* pBefore =
            m_pExpected ? m_pExpected->data() + m_nLastOffset : m_arrKept.data() + m_nLastOffset;
        if (block.nData != m_nLastLen ||
            (block.nData && std::memcmp(block.pData, pBefore, block.nData) != 0))
            return Bad("block " + std::to_string(block.wBlock) + " sent again with other data");
        ++m_nRepeats;
        return EBlock::Repeat;
    }

    EBlock Bad(std::string str) {
        m_strError = std::move(str);
        return EBlock::Bad;
    }

    const CBytes* m_pExpected;
    bool m_bEmptyLastBlock;
    CBytes m_arrKept;
    uint16_t m_wLast = 0;
    uint64_t m_nBlocks = 0;
    uint64_t m_nReceived = 0;
    uint64_t m_nLastOffset = 0;
    size_t m_nLastLen = 0;
    uint64_t m_nRepeats = 0;
    bool m_bEnded = false;
    std::string m_strError;
};

}  // namespace orxunit
