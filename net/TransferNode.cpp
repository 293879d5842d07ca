#include "net/TransferNode.h"

#include "image/TransferFile.h"
#include "net/WireFormat.h"
#include "platform/Clock.h"

CTransferNode::CTransferNode(const CSockAddr& addrPeer, const std::string& strName, IClock& clock)
    : m_strName(strName), m_addrPeer(addrPeer), m_clock(clock) {
    if (IsSerial()) return;
    AllocPacket(DATA_HEADER_LEN, DATA_BLOCK_MAX);
    m_nPacketLen = static_cast<uint32_t>(BuildWriteRequest(m_pPacket.get()));
    // The write request takes block number 0, so the first data block carries 1.
    Advance(0);
}

void CTransferNode::Advance(uint32_t n) {
    ++m_wBlock;
    m_nSent += n;
    m_nRetries = 0;
    m_dwLastSend = m_clock.GetTickCount();
}

bool CTransferNode::BuildNextData(const CTransferFile& image) {
    if (!m_pPacket || m_nSent >= image.Length()) return false;
    const size_t nPacket = BuildDataBlock(m_pPacket.get(), image.Data(), image.Length(), m_nSent,
                                          m_wBlock, m_nMaxData);
    if (nPacket == 0) return false;
    m_nPacketLen = static_cast<uint32_t>(nPacket);
    Advance(static_cast<uint32_t>(nPacket - DATA_HEADER_LEN));
    return true;
}

void CTransferNode::BuildJump() {
    // A serial transfer has no buffer of its own; the jump needs one all the same.
    if (!m_pPacket || DATA_HEADER_LEN + m_nMaxData < JUMP_PACKET_LEN)
        AllocPacket(DATA_HEADER_LEN, DATA_BLOCK_MAX);
    m_nPacketLen = static_cast<uint32_t>(BuildJumpPacket(m_pPacket.get()));
    m_bJumpSent = true;
    Advance(0);
}

void CTransferNode::SendPacket(IDatagramSocket& socket) {
    m_dwLastSend = m_clock.GetTickCount();
    if (!m_pPacket || m_nPacketLen == 0) return;
    // A failed send is left to the retransmit scan.
    socket.SendTo(m_pPacket.get(), m_nPacketLen, m_addrPeer);
}

void CTransferNode::AllocPacket(uint32_t nHeader, uint32_t nData) {
    FreePacket();
    m_nMaxData = nData;
    m_pPacket = std::make_unique<uint8_t[]>(static_cast<size_t>(nHeader) + nData);
}

void CTransferNode::FreePacket() {
    m_pPacket.reset();
    m_nPacketLen = 0;
}
