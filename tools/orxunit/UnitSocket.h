#pragma once
// A non-blocking UDP socket bound to one local address, as a unit has.
#include <cstddef>
#include <cstdint>

#include "platform/Socket.h"

namespace orxunit {

class CUnitSocket {
public:
    CUnitSocket() = default;
    ~CUnitSocket() { Close(); }
    CUnitSocket(const CUnitSocket&) = delete;
    CUnitSocket& operator=(const CUnitSocket&) = delete;

    // Port 0 takes an ephemeral port. On false the last error tells why.
    bool Open(uint32_t dwAddrNet, uint16_t wPort);
    void Close();
    int Fd() const { return m_fd; }
    uint16_t LocalPort() const { return m_wPort; }
    // 1 with one datagram and its full length (even when longer than the buffer),
    // 0 when none waits, -1 on error.
    int ReceiveFrom(uint8_t* pBuf, size_t nLen, size_t& nGot, CSockAddr& from);
    bool SendTo(const uint8_t* p, size_t n, const CSockAddr& to);

private:
    int m_fd = -1;
    uint16_t m_wPort = 0;
};

}  // namespace orxunit
