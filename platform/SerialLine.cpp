// Kept apart from <termios.h>: the kernel's termios2 clashes with the C library's.
#include "platform/SerialLine.h"

#include <asm/termbits.h>
#include <linux/serial.h>
#include <sys/ioctl.h>

#include <cerrno>

#include "platform/LastError.h"

bool SetRawSerialLine(int fd, uint32_t dwBaud) {
    if (dwBaud == 0) {
        SetLastError(EINVAL);
        return false;
    }
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0) {
        SetLastErrorFromErrno();
        return false;
    }
    // Every field is set, none kept from the port's previous user.
    tio.c_iflag = 0;
    tio.c_oflag = 0;
    tio.c_lflag = 0;
    tio.c_cflag = CS8 | CREAD | CLOCAL | BOTHER | (BOTHER << IBSHIFT);
    tio.c_ispeed = dwBaud;
    tio.c_ospeed = dwBaud;
    for (auto& c : tio.c_cc) c = 0;
    if (ioctl(fd, TCSETS2, &tio) != 0) {
        SetLastErrorFromErrno();
        return false;
    }
    // DTR and RTS on, as the units expect; a pseudo-terminal has no modem lines.
    int nLines = TIOCM_DTR | TIOCM_RTS;
    (void)ioctl(fd, TIOCMBIS, &nLines);
    return true;
}

void RequestLowLatency(int fd) {
    struct serial_struct info {};
    if (ioctl(fd, TIOCGSERIAL, &info) != 0 || (info.flags & ASYNC_LOW_LATENCY) != 0) return;
    info.flags |= ASYNC_LOW_LATENCY;
    (void)ioctl(fd, TIOCSSERIAL, &info);
}
