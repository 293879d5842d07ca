#pragma once
// A unit at the other end of a fake serial line: it takes the download byte by byte and
// answers with go-ahead LFs as an HV7 or HV6 unit does.
#include <cstdint>
#include <string>
#include <vector>

#include "tests/FakeSerial.h"

class CFakeDownloadUnit {
public:
    CFakeDownloadUnit(CFakeClock& clock, bool bHv6) : m_clock(clock), m_bHv6(bHv6) {
        m_bExpectServerLf = bHv6;
    }
    void Attach(CFakeSerialDevice& dev) {
        dev.m_onWrite = [this](CFakeSerialDevice& d, const std::vector<uint8_t>& bytes) {
            for (uint8_t b : bytes) Take(d, b);
        };
    }

    int m_nStallAfterBlocks = -1;   // stop answering after this many blocks
    uint32_t m_dwGoAheadDelay = 0;  // ms between a block and the unit's LF
    std::string m_strBeforeLf;      // text sent before every go-ahead
    std::vector<uint32_t> m_blockSizes;
    std::vector<uint32_t> m_recordAddresses;
    bool m_bDone = false;
    bool m_bProtocolError = false;

private:
    enum class EState { ImageHeader, RecordHeader, Data };
    static uint32_t Le32(const std::vector<uint8_t>& v, size_t i) {
        return uint32_t(v[i]) | uint32_t(v[i + 1]) << 8 | uint32_t(v[i + 2]) << 16 |
               uint32_t(v[i + 3]) << 24;
    }
    uint32_t BlockSize() const { return m_bHv6 ? 32768 : 256; }

    void GoAhead(CFakeSerialDevice& dev, uint32_t dwDelay) {
        if (m_nStallAfterBlocks >= 0 &&
            static_cast<int>(m_blockSizes.size()) >= m_nStallAfterBlocks)
            return;
        dev.Feed(m_strBeforeLf + "\n", m_clock.GetTickCount() + dwDelay);
        if (m_bHv6) m_bExpectServerLf = true;
    }

    void Take(CFakeSerialDevice& dev, uint8_t b) {
        if (m_bDone) {
            m_bProtocolError = true;
            return;
        }
        if (m_bExpectServerLf) {
            m_bProtocolError |= b != '\n';
            m_bExpectServerLf = false;
            return;
        }
        m_cur.push_back(b);
        switch (m_eState) {
            case EState::ImageHeader:
                if (m_cur.size() < 15) return;
                m_cur.clear();
                m_eState = EState::RecordHeader;
                // After the server has purged its input.
                if (m_bHv6) GoAhead(dev, 300);
                return;
            case EState::RecordHeader: {
                if (m_cur.size() < 12) return;
                const uint32_t dwAddress = Le32(m_cur, 0);
                m_nRemaining = Le32(m_cur, 4);
                m_cur.clear();
                m_recordAddresses.push_back(dwAddress);
                if (dwAddress == 0) {
                    m_bDone = true;
                } else if (m_nRemaining == 0) {
                    if (m_bHv6) GoAhead(dev, 0);
                } else {
                    m_eState = EState::Data;
                    GoAhead(dev, m_dwGoAheadDelay);
                }
                return;
            }
            case EState::Data: {
                const uint32_t nBlock = std::min(m_nRemaining, BlockSize());
                if (m_cur.size() < nBlock) return;
                m_blockSizes.push_back(nBlock);
                m_nRemaining -= nBlock;
                m_cur.clear();
                if (m_nRemaining > 0) {
                    GoAhead(dev, m_dwGoAheadDelay);
                } else {
                    m_eState = EState::RecordHeader;
                    if (m_bHv6) GoAhead(dev, m_dwGoAheadDelay);
                }
                return;
            }
        }
    }

    CFakeClock& m_clock;
    bool m_bHv6;
    bool m_bExpectServerLf = false;
    EState m_eState = EState::ImageHeader;
    std::vector<uint8_t> m_cur;
    uint32_t m_nRemaining = 0;
};
