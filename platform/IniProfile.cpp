#include "platform/IniProfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/IniCodec.h"
#include "platform/LastError.h"

namespace {

// The whole file; a file that does not exist is the empty text.
bool ReadWholeFile(const std::string& strPath, std::string& strText, uint32_t& dwError) {
    const int fd = open(strPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return true;
        dwError = static_cast<uint32_t>(errno);
        return false;
    }
    char buf[8192];
    for (;;) {
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n > 0) {
            strText.append(buf, static_cast<size_t>(n));
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            dwError = static_cast<uint32_t>(errno);
            close(fd);
            strText.clear();
            return false;
        }
    }
    close(fd);
    return true;
}

bool WriteAll(int fd, const std::string& strData) {
    size_t nDone = 0;
    while (nDone < strData.size()) {
        const ssize_t n = write(fd, strData.data() + nDone, strData.size() - nDone);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        nDone += static_cast<size_t>(n);
    }
    return true;
}

// Creates the folder and its missing parents.
bool MakeDirectories(const std::string& strDir) {
    struct stat st {};
    if (stat(strDir.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return true;
        errno = ENOTDIR;
        return false;
    }
    const size_t nSlash = strDir.rfind('/');
    if (nSlash != std::string::npos && nSlash > 0 && !MakeDirectories(strDir.substr(0, nSlash)))
        return false;
    return mkdir(strDir.c_str(), 0755) == 0 || errno == EEXIST;
}

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

CIniProfile::CIniProfile(std::string strPath) : m_strPath(std::move(strPath)) {
    ReadWholeFile(m_strPath, m_strText, m_dwReadError);
}

bool CIniProfile::Flush() {
    if (m_dwReadError != 0) {
        SetLastError(m_dwReadError);
        return false;
    }
    if (!m_bDirty) return true;

    // Through a link to the file it points at, so the link survives the rename.
    std::string strTarget = m_strPath;
    if (char* psz = realpath(m_strPath.c_str(), nullptr)) {
        strTarget = psz;
        free(psz);
    }
    const std::string strDir = DirectoryOf(strTarget);
    if (!MakeDirectories(strDir)) {
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

    bool bOk = WriteAll(fd, m_strText);
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
    m_bDirty = false;
    return true;
}
