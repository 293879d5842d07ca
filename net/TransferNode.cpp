#include "net/TransferNode.h"

#include "platform/Clock.h"

CTransferNode::CTransferNode(const CSockAddr& addrPeer, const std::string& strName, IClock& clock)
    : m_strName(strName), m_addrPeer(addrPeer), m_clock(clock) {}
void CTransferNode::Advance(uint32_t) {}
bool CTransferNode::BuildNextData(const CTransferFile&) { return false; }
void CTransferNode::BuildJump() {}
void CTransferNode::SendPacket(IDatagramSocket&) {}
void CTransferNode::AllocPacket(uint32_t, uint32_t) {}
void CTransferNode::FreePacket() {}
