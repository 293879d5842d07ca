#include "platform/NetworkInfo.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "platform/LastError.h"

namespace {
constexpr uint8_t ICMP_TYPE_ECHO_REPLY = 0;
constexpr uint8_t ICMP_TYPE_ECHO_REQUEST = 8;
constexpr size_t kHostNameBuffer = 260;

uint16_t InternetChecksum(const uint8_t* p, size_t n) {
    uint32_t dwSum = 0;
    for (size_t i = 0; i + 1 < n; i += 2) dwSum += static_cast<uint32_t>(p[i] << 8 | p[i + 1]);
    if (n % 2 != 0) dwSum += static_cast<uint32_t>(p[n - 1] << 8);
    while (dwSum >> 16) dwSum = (dwSum & 0xFFFF) + (dwSum >> 16);
    return static_cast<uint16_t>(~dwSum);
}

uint16_t ReadBigEndian16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] << 8 | p[1]);
}

int64_t MonotonicMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// An ICMP datagram socket where the system lets anyone ping, else a raw one.
int OpenIcmpSocket(bool& bRaw) {
    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, IPPROTO_ICMP);
    bRaw = false;
    if (fd >= 0) return fd;
    fd = socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, IPPROTO_ICMP);
    bRaw = true;
    return fd;
}

// Waits for the reply until the deadline; any other traffic is passed over.
bool AwaitEchoReply(int fd, bool bRaw, uint32_t dwAddrNet, uint16_t wId, uint16_t wSeq,
                    int64_t nDeadline) {
    uint8_t buf[1500];
    for (;;) {
        const int64_t nLeft = nDeadline - MonotonicMs();
        if (nLeft <= 0) return false;
        pollfd pfd{fd, POLLIN, 0};
        const int nReady = poll(&pfd, 1, static_cast<int>(nLeft));
        if (nReady < 0 && errno != EINTR) return false;
        if (nReady <= 0) continue;
        sockaddr_in from{};
        socklen_t nFrom = sizeof from;
        const ssize_t n =
            recvfrom(fd, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &nFrom);
        if (n < 0) {
            if (errno == EAGAIN || errno == EINTR) continue;
            // An ICMP error (unreachable) on the datagram socket: no reply will come.
            return false;
        }
        if (from.sin_addr.s_addr != dwAddrNet) continue;
        if (IsEchoReply(buf, static_cast<size_t>(n), bRaw, wId, wSeq)) return true;
    }
}
}  // namespace

void BuildEchoRequest(uint16_t wId, uint16_t wSeq, uint8_t (&packet)[ICMP_ECHO_HEADER_SIZE]) {
    packet[0] = ICMP_TYPE_ECHO_REQUEST;
    packet[1] = 0;
    packet[2] = 0;
    packet[3] = 0;
    packet[4] = static_cast<uint8_t>(wId >> 8);
    packet[5] = static_cast<uint8_t>(wId);
    packet[6] = static_cast<uint8_t>(wSeq >> 8);
    packet[7] = static_cast<uint8_t>(wSeq);
    const uint16_t wSum = InternetChecksum(packet, ICMP_ECHO_HEADER_SIZE);
    packet[2] = static_cast<uint8_t>(wSum >> 8);
    packet[3] = static_cast<uint8_t>(wSum);
}

bool IsEchoReply(const uint8_t* pBytes, size_t nLen, bool bWithIpHeader, uint16_t wId,
                 uint16_t wSeq) {
    if (bWithIpHeader) {
        if (nLen < 20 || (pBytes[0] >> 4) != 4 || pBytes[9] != IPPROTO_ICMP) return false;
        const size_t nHeader = static_cast<size_t>(pBytes[0] & 0x0F) * 4;
        if (nHeader < 20 || nHeader > nLen) return false;
        pBytes += nHeader;
        nLen -= nHeader;
    }
    if (nLen < ICMP_ECHO_HEADER_SIZE) return false;
    if (pBytes[0] != ICMP_TYPE_ECHO_REPLY || pBytes[1] != 0) return false;
    if (ReadBigEndian16(pBytes + 6) != wSeq) return false;
    return !bWithIpHeader || ReadBigEndian16(pBytes + 4) == wId;
}

bool CNetworkInfo::GetHostName(std::string& strName) {
    char buf[kHostNameBuffer] = {};
    if (gethostname(buf, sizeof buf - 1) != 0) {
        SetLastErrorFromErrno();
        return false;
    }
    strName = buf;
    return true;
}

bool CNetworkInfo::Ping(uint32_t dwAddrNet, uint32_t dwTimeoutMs) {
    static std::atomic<uint16_t> s_wNextSeq{1};
    const int64_t nDeadline = MonotonicMs() + dwTimeoutMs;
    bool bRaw = false;
    const int fd = OpenIcmpSocket(bRaw);
    if (fd < 0) {
        SetLastErrorFromErrno();
        return false;
    }
    const uint16_t wId = static_cast<uint16_t>(getpid());
    const uint16_t wSeq = s_wNextSeq++;
    uint8_t packet[ICMP_ECHO_HEADER_SIZE];
    BuildEchoRequest(wId, wSeq, packet);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = dwAddrNet;
    bool bAnswered = false;
    if (sendto(fd, packet, sizeof packet, 0, reinterpret_cast<sockaddr*>(&to), sizeof to) < 0) {
        SetLastErrorFromErrno();
    } else {
        bAnswered = AwaitEchoReply(fd, bRaw, dwAddrNet, wId, wSeq, nDeadline);
    }
    close(fd);
    return bAnswered;
}

uint32_t CNetworkInfo::GetFirstAdapterAddress(uint32_t& dwAddrNet, uint32_t& dwMaskNet) {
    ifaddrs* pList = nullptr;
    if (getifaddrs(&pList) != 0) return SetLastErrorFromErrno();
    uint32_t dwResult = ERROR_NOT_SUPPORTED;
    for (const ifaddrs* p = pList; p != nullptr; p = p->ifa_next) {
        if (p->ifa_addr == nullptr || p->ifa_addr->sa_family != AF_INET) continue;
        if ((p->ifa_flags & IFF_UP) == 0 || (p->ifa_flags & IFF_LOOPBACK) != 0) continue;
        const uint32_t dwAddr = reinterpret_cast<const sockaddr_in*>(p->ifa_addr)->sin_addr.s_addr;
        if (dwAddr == 0) {
            dwResult = ERROR_NO_ADAPTER_ADDRESS;
            break;
        }
        dwAddrNet = dwAddr;
        dwMaskNet = p->ifa_netmask != nullptr
                        ? reinterpret_cast<const sockaddr_in*>(p->ifa_netmask)->sin_addr.s_addr
                        : 0;
        dwResult = 0;
        break;
    }
    freeifaddrs(pList);
    SetLastError(dwResult);
    return dwResult;
}
