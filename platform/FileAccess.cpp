#include "platform/FileAccess.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/LastError.h"

namespace {
std::string DirectoryOf(const std::string& strPath) {
    const size_t nSlash = strPath.rfind('/');
    if (nSlash == std::string::npos) return ".";
    return nSlash == 0 ? "/" : strPath.substr(0, nSlash);
}

void SyncDirectory(const std::string& strDir) {
    const int fd = open(strDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);  // best effort: the rename itself already happened
    close(fd);
}
}  // namespace

bool ReadWholeFile(const std::string& strPath, std::string& strText) {
    strText.clear();
    const int fd = open(strPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT || errno == ENOTDIR;
    char buf[65536];
    for (;;) {
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n > 0) {
            strText.append(buf, static_cast<size_t>(n));
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            const int nError = errno;
            close(fd);
            strText.clear();
            errno = nError;
            return false;
        }
    }
    close(fd);
    return true;
}

bool WriteAll(int fd, const char* p, size_t n) {
    while (n > 0) {
        const ssize_t r = write(fd, p, n);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) return false;
        p += r;
        n -= static_cast<size_t>(r);
    }
    return true;
}

bool MakeDirectories(const std::string& strDir, mode_t mode) {
    struct stat st {};
    if (stat(strDir.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return true;
        errno = ENOTDIR;
        return false;
    }
    const size_t nSlash = strDir.rfind('/');
    if (nSlash != std::string::npos && nSlash > 0 &&
        !MakeDirectories(strDir.substr(0, nSlash), mode))
        return false;
    return mkdir(strDir.c_str(), mode) == 0 || errno == EEXIST;
}

bool ReplaceFile(const std::string& strPath, const std::string& strText) {
    // Through a link to the file it points at, so the link survives the rename.
    std::string strTarget = strPath;
    if (char* psz = realpath(strPath.c_str(), nullptr)) {
        strTarget = psz;
        free(psz);
    }
    const std::string strDir = DirectoryOf(strTarget);
    if (!MakeDirectories(strDir, 0755)) {
        SetLastErrorFromErrno();
        return false;
    }
    struct stat stOld {};
    const bool bHadOld = stat(strTarget.c_str(), &stOld) == 0;

    std::string strTemp;
    int fd = -1;
    for (int i = 0; i < 100 && fd < 0; ++i) {
        strTemp = strTarget + ".tmp" + std::to_string(getpid()) + "-" + std::to_string(i);
        fd = open(strTemp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        SetLastErrorFromErrno();
        return false;
    }

    bool bOk = WriteAll(fd, strText.data(), strText.size());
    if (bOk && bHadOld) {
        bOk = fchmod(fd, stOld.st_mode & 07777) == 0;
        if (bOk && fchown(fd, stOld.st_uid, stOld.st_gid) != 0) {
            // Only root can give the file away; anyone else keeps it as their own.
        }
    }
    if (bOk) bOk = fsync(fd) == 0;
    if (!bOk) SetLastErrorFromErrno();
    if (close(fd) != 0 && bOk) {
        bOk = false;
        SetLastErrorFromErrno();
    }
    if (bOk && rename(strTemp.c_str(), strTarget.c_str()) != 0) {
        bOk = false;
        SetLastErrorFromErrno();
    }
    if (!bOk) {
        unlink(strTemp.c_str());
        return false;
    }
    SyncDirectory(strDir);
    return true;
}
