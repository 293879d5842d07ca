#include "tools/orxunit/SerialLine.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

namespace {
bool MakeRaw(int fd) {
    struct termios tio {};
    if (tcgetattr(fd, &tio) != 0) return false;
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    return tcsetattr(fd, TCSANOW, &tio) == 0;
}
}  // namespace

CSerialLine::~CSerialLine() {
    HangUp();
}

bool CSerialLine::OpenDevice(const std::string& strPath, std::string& strError) {
    m_fd = open(strPath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_fd < 0 || (isatty(m_fd) && !MakeRaw(m_fd))) {
        strError = strPath + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool CSerialLine::MakePty(const std::string& strLink, std::string& strError) {
    m_fd = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_fd < 0 || grantpt(m_fd) != 0 || unlockpt(m_fd) != 0) {
        strError = std::string("pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    m_strSlave = ptsname(m_fd);
    // The slave stays open here: its settings then survive the server's closing and
    // reopening, and bytes written before the server opens wait for it raw.
    m_fdSlave = open(m_strSlave.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_fdSlave < 0 || !MakeRaw(m_fdSlave) || !MakeRaw(m_fd)) {
        strError = m_strSlave + ": " + std::strerror(errno);
        return false;
    }
    unlink(strLink.c_str());
    if (symlink(m_strSlave.c_str(), strLink.c_str()) != 0) {
        strError = strLink + ": " + std::strerror(errno);
        return false;
    }
    m_strLink = strLink;
    return true;
}

bool CSerialLine::WriteAll(const uint8_t* p, size_t n) {
    size_t nDone = 0;
    while (nDone < n) {
        const ssize_t r = write(m_fd, p + nDone, n - nDone);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        nDone += static_cast<size_t>(r);
    }
    return true;
}

int CSerialLine::Read(uint8_t* p, size_t nMax, uint32_t dwMs) {
    if (!m_pending.empty()) {
        const size_t n = std::min(nMax, m_pending.size());
        std::copy(m_pending.begin(), m_pending.begin() + static_cast<long>(n), p);
        m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<long>(n));
        return static_cast<int>(n);
    }
    if (m_fd < 0) return -1;
    struct pollfd pfd {
        m_fd, POLLIN, 0
    };
    const int nReady = poll(&pfd, 1, static_cast<int>(dwMs));
    if (nReady < 0) return errno == EINTR ? 0 : -1;
    if (nReady == 0) return 0;
    const auto now = std::chrono::steady_clock::now();
    // Paced reads take few bytes at a time, as a UART would hand them over.
    const size_t nTake = m_dwBaud != 0 && nMax > 64 ? 64 : nMax;
    const ssize_t r = read(m_fd, p, nTake);
    if (r <= 0) return r < 0 && errno == EINTR ? 0 : -1;
    m_lastArrival = now;
    if (m_dwBaud != 0) {
        // Ten bit times a byte (start, 8 data, stop).
        if (m_lineFree < now) m_lineFree = now;
        m_lineFree += std::chrono::nanoseconds(uint64_t(r) * 10u * 1000000000ull / m_dwBaud);
        std::this_thread::sleep_until(m_lineFree);
    }
    return static_cast<int>(r);
}

bool CSerialLine::ReadExact(std::vector<uint8_t>& out, size_t n, uint32_t dwMs) {
    out.clear();
    uint8_t buf[4096];
    while (out.size() < n) {
        const int r = Read(buf, std::min(sizeof buf, n - out.size()), dwMs);
        if (r <= 0) return false;
        if (out.empty()) m_firstArrival = m_lastArrival;
        out.insert(out.end(), buf, buf + r);
    }
    return true;
}

std::vector<uint8_t> CSerialLine::Drain(uint32_t dwMs) {
    std::vector<uint8_t> out;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(dwMs);
    uint8_t buf[512];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        const int r = Read(buf, sizeof buf, static_cast<uint32_t>(left.count()));
        if (r < 0) break;
        out.insert(out.end(), buf, buf + r);
    }
    return out;
}

void CSerialLine::HangUp() {
    if (!m_strLink.empty()) unlink(m_strLink.c_str());
    m_strLink.clear();
    if (m_fdSlave >= 0) close(m_fdSlave);
    if (m_fd >= 0) close(m_fd);
    m_fdSlave = m_fd = -1;
}
