#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "transfer/TransferNode.h"

class IClock;
class CTransferFile;

// A network unit's transfer: the packet it is sent, resent on silence, and what moves it
// on. Only the UI thread builds and sends packets.
class CNetTransfer : public CTransferNode {
public:
    // With the write request in the packet buffer, ready to send.
    CNetTransfer(const CSockAddr& addrPeer, const std::string& strName, IClock& clock);

    void Advance(uint32_t n);
    bool BuildNextData(const CTransferFile& image);
    void BuildJump();
    void SendPacket(IDatagramSocket& socket);

    uint16_t m_wBlock = 0;
    bool m_bJumpSent = false;
    uint32_t m_dwLastSend = 0;
    uint32_t m_nRetries = 0;
    std::unique_ptr<uint8_t[]> m_pPacket;
    uint32_t m_nPacketLen = 0;

private:
    IClock& m_clock;
};
