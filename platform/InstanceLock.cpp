#include "platform/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/LastError.h"

bool AcquireInstanceLock(const std::string& strName) {
    const char* pszDir = std::getenv("XDG_RUNTIME_DIR");
    std::string strPath = (pszDir && *pszDir) ? pszDir : "/tmp";
    strPath += "/" + strName + ".lock";
    // Kept open for the life of the process, like a named mutex handle.
    const int fd = open(strPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        SetLastErrorFromErrno();
        return true;  // no place for a lock: do not refuse to run
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool bHeld = errno == EWOULDBLOCK;
        close(fd);
        if (bHeld) SetLastError(ERROR_ALREADY_EXISTS);
        return !bHeld;
    }
    return true;
}
