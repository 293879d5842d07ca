#include "tools/orxunit/UnitSocket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "platform/LastError.h"

namespace orxunit {

bool CUnitSocket::Open(uint32_t dwAddrNet, uint16_t wPort) {
    Close();
    m_fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_fd < 0) {
        SetLastErrorFromErrno();
        return false;
    }
    // Room for a burst of blocks while a hundred units share one process.
    const int nBuf = 256 * 1024;
    setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &nBuf, sizeof nBuf);
    sockaddr_in sin{};
    sin.sin_family = AF_INET;
    sin.sin_addr.s_addr = dwAddrNet;
    sin.sin_port = htons(wPort);
    socklen_t nLen = sizeof sin;
    if (bind(m_fd, reinterpret_cast<sockaddr*>(&sin), sizeof sin) != 0 ||
        getsockname(m_fd, reinterpret_cast<sockaddr*>(&sin), &nLen) != 0) {
        SetLastErrorFromErrno();
        Close();
        return false;
    }
    m_wPort = ntohs(sin.sin_port);
    return true;
}

void CUnitSocket::Close() {
    if (m_fd >= 0) close(m_fd);
    m_fd = -1;
    m_wPort = 0;
}

int CUnitSocket::ReceiveFrom(uint8_t* pBuf, size_t nLen, size_t& nGot, CSockAddr& from) {
    sockaddr_in sin{};
    socklen_t nAddr = sizeof sin;
    const ssize_t n =
        recvfrom(m_fd, pBuf, nLen, MSG_TRUNC, reinterpret_cast<sockaddr*>(&sin), &nAddr);
    if (n < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
        SetLastErrorFromErrno();
        return -1;
    }
    from.dwAddr = sin.sin_addr.s_addr;
    from.wPort = ntohs(sin.sin_port);
    nGot = size_t(n);
    return 1;
}

bool CUnitSocket::SendTo(const uint8_t* p, size_t n, const CSockAddr& to) {
    sockaddr_in sin{};
    sin.sin_family = AF_INET;
    sin.sin_addr.s_addr = to.dwAddr;
    sin.sin_port = htons(to.wPort);
    if (sendto(m_fd, p, n, 0, reinterpret_cast<const sockaddr*>(&sin), sizeof sin) < 0) {
        SetLastErrorFromErrno();
        return false;
    }
    return true;
}

}  // namespace orxunit
