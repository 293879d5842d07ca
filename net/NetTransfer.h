#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Socket.h"
#include "transfer/TransferNode.h"

class IClock;
class CTransferFile;

// A network unit's transfer: the packet it is sent, resent on silence, and what moves it
// on. Only the UI thread builds and sends packets and reads all of this; the byte count
// other threads read is the list's, which the server moves on after each block.
class CNetTransfer : public CTransferNode {
public:
    // With the write request in the packet buffer, ready to send to the unit's address and
    // the port its request came from.
    CNetTransfer(CUnitRef unit, IClock& clock);

    void Advance(uint32_t n);
    // The bytes of the image the block built carries; 0 when the image is all sent.
    uint32_t BuildNextData(const CTransferFile& image);
    void BuildJump();
    void SendPacket(IDatagramSocket& socket);

    CSockAddr m_addrPeer;    // the port is that of the unit's latest datagram
    uint32_t m_nOffset = 0;  // into the image, of the next block
    uint16_t m_wBlock = 0;
    bool m_bJumpSent = false;
    uint32_t m_dwLastSend = 0;
    uint32_t m_nRetries = 0;
    std::unique_ptr<uint8_t[]> m_pPacket;
    uint32_t m_nPacketLen = 0;

private:
    IClock& m_clock;
};
