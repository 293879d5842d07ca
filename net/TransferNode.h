#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Socket.h"

class IClock;
class CTransferFile;

// One transfer in progress: a network unit, or a serial port (peer 255.255.255.255).
class CTransferNode {
public:
    CTransferNode(const CSockAddr& addrPeer, const std::string& strName, IClock& clock);

    bool IsSerial() const { return m_addrPeer.dwAddr == INADDR_ALL_ONES; }

    void Advance(uint32_t n);
    bool BuildNextData(const CTransferFile& image);
    void BuildJump();
    void SendPacket(IDatagramSocket& socket);
    void AllocPacket(uint32_t nHeader, uint32_t nData);
    void FreePacket();

    std::string m_strName;
    CSockAddr m_addrPeer;
    uint32_t m_nSent = 0;
    uint16_t m_wBlock = 0;
    int32_t m_nLastPercent = -1;
    bool m_bJumpSent = false;
    bool m_bLineFeedHandshake = false;
    uint32_t m_dwLastSend = 0;
    uint32_t m_nRetries = 0;
    std::unique_ptr<uint8_t[]> m_pPacket;
    uint32_t m_nPacketLen = 0;
    uint32_t m_nMaxData = 0;

private:
    IClock& m_clock;
};
