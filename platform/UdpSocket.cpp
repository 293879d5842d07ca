#include "platform/UdpSocket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>
#include <cstdio>

#include "platform/LastError.h"

std::string DottedAddress(uint32_t dwAddrNet) {
    const auto* p = reinterpret_cast<const uint8_t*>(&dwAddrNet);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%u.%u.%u.%u", p[0], p[1], p[2], p[3]);
    return buf;
}

bool ParseDottedAddress(const std::string& str, uint32_t& dwAddrNet) {
    in_addr a{};
    if (inet_pton(AF_INET, str.c_str(), &a) != 1) return false;
    dwAddrNet = a.s_addr;
    return true;
}

CUdpSocket::CUdpSocket(FSocketReady fnReady) : m_fnReady(std::move(fnReady)) {}

CUdpSocket::~CUdpSocket() {
    Close();
}

bool CUdpSocket::Create(uint16_t wPort) {
    Close();
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        SetLastErrorFromErrno();
        return false;
    }
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(wPort);
    sa.sin_addr.s_addr = htonl(INADDR_ANY);
    if (bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
        SetLastErrorFromErrno();
        close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

bool CUdpSocket::SetBroadcast(bool bOn) {
    const int nOn = bOn ? 1 : 0;
    if (setsockopt(m_fd, SOL_SOCKET, SO_BROADCAST, &nOn, sizeof nOn) != 0) {
        SetLastErrorFromErrno();
        return false;
    }
    return true;
}

bool CUdpSocket::AsyncSelect(HWND hWnd, uint32_t nMsg, int64_t nId) {
    if (m_fd < 0) {
        SetLastError(EBADF);
        return false;
    }
    m_pNotifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    // Level-triggered: a datagram still waiting notifies again.
    QObject::connect(m_pNotifier.get(), &QSocketNotifier::activated,
                     [this, hWnd, nMsg, nId] { m_fnReady(hWnd, nMsg, nId); });
    return true;
}

int CUdpSocket::ReceiveFrom(void* pBuf, size_t nLen, CSockAddr& from) {
    sockaddr_in sa{};
    socklen_t nSa = sizeof sa;
    msghdr mh{};
    iovec iov{pBuf, nLen};
    mh.msg_name = &sa;
    mh.msg_namelen = nSa;
    mh.msg_iov = &iov;
    mh.msg_iovlen = 1;
    const ssize_t n = recvmsg(m_fd, &mh, 0);
    if (n < 0) {
        SetLastErrorFromErrno();
        return -1;
    }
    if (mh.msg_flags & MSG_TRUNC) {
        // The rest of the datagram is gone; it must not pass as a whole packet.
        SetLastError(EMSGSIZE);
        return -1;
    }
    from.dwAddr = sa.sin_addr.s_addr;
    from.wPort = ntohs(sa.sin_port);
    return static_cast<int>(n);
}

int CUdpSocket::SendTo(const void* pBuf, size_t nLen, const CSockAddr& to) {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(to.wPort);
    sa.sin_addr.s_addr = to.dwAddr;
    const ssize_t n = sendto(m_fd, pBuf, nLen, 0, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    if (n < 0) {
        SetLastErrorFromErrno();
        return -1;
    }
    return static_cast<int>(n);
}

void CUdpSocket::Close() {
    if (m_pNotifier) {
        // A handler of this very notifier may be closing the socket.
        m_pNotifier->setEnabled(false);
        m_pNotifier.release()->deleteLater();
    }
    if (m_fd >= 0) {
        close(m_fd);
        m_fd = -1;
    }
}
