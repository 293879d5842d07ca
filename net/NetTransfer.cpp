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
    m_nOffset += n;
    m_nRetries = 0;
    m_dwLastSend = m_clock.GetTickCount();
}

uint32_t CNetTransfer::BuildNextData(const CTransferFile& image) {
    if (m_nOffset >= image.Length()) return 0;
    const size_t nPacket = BuildDataBlock(m_pPacket.get(), image.Data(), image.Length(), m_nOffset,
                                          m_wBlock, DATA_BLOCK_MAX);
    if (nPacket == 0) return 0;
    m_nPacketLen = static_cast<uint32_t>(nPacket);
    const auto nBytes = static_cast<uint32_t>(nPacket - DATA_HEADER_LEN);
    Advance(nBytes);
    return nBytes;
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
