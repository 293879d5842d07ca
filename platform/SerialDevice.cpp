#include "platform/SerialDevice.h"

#include <fcntl.h>
#include <poll.h>
#include <strings.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>

#include "platform/LastError.h"
#include "platform/SerialLine.h"

namespace {

// "COMn" with n from 1 to 255 (any letter case); 0 otherwise.
int ComNumber(const std::string& strPort) {
    if (strPort.size() < 4 || strPort.size() > 6 || strncasecmp(strPort.c_str(), "COM", 3) != 0)
        return 0;
    int n = 0;
    for (size_t i = 3; i < strPort.size(); ++i) {
        if (strPort[i] < '0' || strPort[i] > '9') return 0;
        n = n * 10 + (strPort[i] - '0');
    }
    return n >= 1 && n <= 255 && strPort[3] != '0' ? n : 0;
}

uint64_t NowMs() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

// Opens the device exclusively: TIOCEXCL keeps other users out, and the advisory lock
// also keeps out a second open by a privileged process, this one included.
int OpenExclusive(const std::string& strPort) {
    const std::string strPath = SerialDevicePath(strPort, std::getenv("ORXBOOT_COMDIR"));
    if (strPath.empty()) {
        SetLastError(ENOENT);
        return -1;
    }
    const int fd = open(strPath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        SetLastErrorFromErrno();
        return -1;
    }
    if (!isatty(fd)) {
        close(fd);
        SetLastError(ENOTTY);
        return -1;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        SetLastError(EBUSY);
        return -1;
    }
    if (ioctl(fd, TIOCEXCL) != 0) {
        SetLastErrorFromErrno();
        close(fd);
        return -1;
    }
    return fd;
}

void CloseExclusive(int fd) {
    (void)ioctl(fd, TIOCNXCL);
    close(fd);
}

class CSerialDevice : public ISerialDevice {
public:
    CSerialDevice(int fd, int fdWake, uint32_t dwMsPerByte)
        : m_fd(fd), m_fdWake(fdWake), m_dwMsPerByte(dwMsPerByte) {}
    ~CSerialDevice() override {
        Close();
        close(m_fdWake);
    }

    int Read(uint8_t* pBuf, size_t nCount) override {
        if (m_fd < 0) return Fail(EBADF);
        for (;;) {
            const ssize_t n = read(m_fd, pBuf, nCount);
            if (n > 0) return static_cast<int>(n);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && errno != EAGAIN) {
                SetLastErrorFromErrno();
                return -1;
            }
            // Nothing there; a line that was hung up (USB unplugged) also reads as nothing.
            struct pollfd pfd {
                m_fd, POLLIN, 0
            };
            if (poll(&pfd, 1, 0) > 0 && (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0)
                return Fail(EIO);
            return 0;
        }
    }

    int Write(const uint8_t* pBuf, size_t nCount) override {
        if (m_fd < 0) return Fail(EBADF);
        const bool bTimed = m_dwMsPerByte != 0;
        const uint64_t qwDeadline = NowMs() + uint64_t(m_dwMsPerByte) * nCount;
        size_t nDone = 0;
        while (nDone < nCount) {
            const ssize_t n = write(m_fd, pBuf + nDone, nCount - nDone);
            if (n > 0) {
                nDone += static_cast<size_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && errno != EAGAIN) {
                if (nDone > 0) break;  // the next call reports the error
                SetLastErrorFromErrno();
                return -1;
            }
            int nWait = -1;
            if (bTimed) {
                const uint64_t qwNow = NowMs();
                if (qwNow >= qwDeadline) break;
                nWait = static_cast<int>(qwDeadline - qwNow);
            }
            struct pollfd pfd[2] = {{m_fd, POLLOUT, 0}, {m_fdWake, POLLIN, 0}};
            if (poll(pfd, 2, nWait) < 0 && errno != EINTR) {
                SetLastErrorFromErrno();
                return nDone > 0 ? static_cast<int>(nDone) : -1;
            }
            if (pfd[1].revents & POLLIN) {
                // A stop or a typed key: give the caller the chance to look at its flags.
                DrainWake();
                break;
            }
            if ((pfd[0].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0 && nDone == 0)
                return Fail(EIO);
        }
        return static_cast<int>(nDone);
    }

    void PurgeInput() override {
        if (m_fd >= 0) tcflush(m_fd, TCIFLUSH);
    }

    void WaitReadable(uint32_t dwMs) override {
        struct pollfd pfd[2] = {{m_fd, POLLIN, 0}, {m_fdWake, POLLIN, 0}};
        const int nMs = dwMs > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(dwMs);
        // A closed port waits on the wake-up alone (poll ignores a negative fd).
        if (poll(pfd, 2, nMs) > 0 && (pfd[1].revents & POLLIN)) DrainWake();
    }

    void Wake() override {
        const uint64_t qwOne = 1;
        (void)!write(m_fdWake, &qwOne, sizeof qwOne);
    }

    void Close() override {
        if (m_fd < 0) return;
        CloseExclusive(m_fd);
        m_fd = -1;
    }

private:
    int Fail(uint32_t dwError) {
        SetLastError(dwError);
        return -1;
    }
    void DrainWake() {
        uint64_t qw = 0;
        (void)!read(m_fdWake, &qw, sizeof qw);
    }

    int m_fd;
    int m_fdWake;
    uint32_t m_dwMsPerByte;
};

}  // namespace

std::string SerialDevicePath(const std::string& strPort, const char* pszComDir) {
    if (!strPort.empty() && strPort[0] == '/') return strPort;
    if (pszComDir != nullptr && *pszComDir != '\0') {
        if (strPort.empty() || strPort.find('/') != std::string::npos || strPort == "." ||
            strPort == "..")
            return {};
        std::string strDir = pszComDir;
        if (strDir.back() != '/') strDir += '/';
        return strDir + strPort;
    }
    const int n = ComNumber(strPort);
    if (n >= 1 && n <= 32) return "/dev/ttyS" + std::to_string(n - 1);
    if (n >= 33 && n <= 64) return "/dev/ttyUSB" + std::to_string(n - 33);
    if (n >= 65 && n <= 96) return "/dev/ttyACM" + std::to_string(n - 65);
    return {};
}

uint32_t SerialWriteTimeoutPerByte(int32_t nBaud) {
    return nBaud > 0 ? static_cast<uint32_t>(19200 / nBaud) : 0;
}

std::unique_ptr<ISerialDevice> CSerialPortFactory::Open(const std::string& strPort, int32_t nBaud) {
    const int fd = OpenExclusive(strPort);
    if (fd < 0) return nullptr;
    if (nBaud <= 0 || !SetRawSerialLine(fd, static_cast<uint32_t>(nBaud))) {
        const uint32_t dwError = nBaud <= 0 ? EINVAL : GetLastError();
        CloseExclusive(fd);
        SetLastError(dwError);
        return nullptr;
    }
    RequestLowLatency(fd);
    const int fdWake = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (fdWake < 0) {
        const uint32_t dwError = SetLastErrorFromErrno();
        CloseExclusive(fd);
        SetLastError(dwError);
        return nullptr;
    }
    return std::make_unique<CSerialDevice>(fd, fdWake, SerialWriteTimeoutPerByte(nBaud));
}

bool CSerialPortFactory::Probe(const std::string& strPort) {
    const int fd = OpenExclusive(strPort);
    if (fd < 0) return false;
    CloseExclusive(fd);
    return true;
}
