#include "net/NetTransfer.h"

#include "image/TransferFile.h"
#include "net/WireFormat.h"
#include "platform/Clock.h"

CNetTransfer::CNetTransfer(CUnitRef unit, IClock& clock)
    : CTransferNode(std::move(unit), clock.GetTickCount()),
      m_addrPeer{Unit().dwAddr, Unit().wPort},
      m_pPacket(std::make_unique<uint8_t[]>(DATA_HEADER_LEN + DATA_BLOCK_MAX)),
      m_clock(clock) {
    m_nPacketLen = static_cast<uint32_t>(BuildWriteRequest(m_pPacket.get()));
    // The write request takes block number 0, so the first data block carries 1.
    Advance(0);
}

void CNetTransfer::Advance(uint32_t n) {
    ++m_wBlock;
    m_nSent += n;
    m_nRetries = 0;
    m_dwLastSend = m_clock.GetTickCount();
}

bool CNetTransfer::BuildNextData(const CTransferFile& image) {
    if (m_nSent >= image.Length()) return false;
    const size_t nPacket = BuildDataBlock(m_pPacket.get(), image.Data(), image.Length(), m_nSent,
                                          m_wBlock, DATA_BLOCK_MAX);
    if (nPacket == 0) return false;
    m_nPacketLen = static_cast<uint32_t>(nPacket);
    Advance(static_cast<uint32_t>(nPacket - DATA_HEADER_LEN));
    return true;
}

void CNetTransfer::BuildJump() {
    m_nPacketLen = static_cast<uint32_t>(BuildJumpPacket(m_pPacket.get()));
    m_bJumpSent = true;
    Advance(0);
}

void CNetTransfer::SendPacket(IDatagramSocket& socket) {
    m_dwLastSend = m_clock.GetTickCount();
    // A failed send is left to the retransmit scan.
    socket.SendTo(m_pPacket.get(), m_nPacketLen, m_addrPeer);
}
