#pragma once
#include <cstdint>
#include <string>

#include "platform/Socket.h"

// One transfer in progress: a network unit, or a serial port (peer 255.255.255.255). The
// transfer list owns it; what other threads read of it changes under the list's lock.
class CTransferNode {
public:
    CTransferNode(const CSockAddr& addrPeer, const std::string& strName);
    virtual ~CTransferNode() = default;
    CTransferNode(const CTransferNode&) = delete;
    CTransferNode& operator=(const CTransferNode&) = delete;

    bool IsSerial() const { return m_addrPeer.dwAddr == INADDR_ALL_ONES; }

    std::string m_strName;
    CSockAddr m_addrPeer;
    uint32_t m_nSent = 0;  // bytes of the image sent so far
    int32_t m_nLastPercent = -1;
};
