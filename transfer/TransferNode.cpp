#include "transfer/TransferNode.h"

CTransferNode::CTransferNode(const CSockAddr& addrPeer, const std::string& strName)
    : m_strName(strName), m_addrPeer(addrPeer) {}
