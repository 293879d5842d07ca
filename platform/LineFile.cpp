#include "platform/LineFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/FileAccess.h"
#include "platform/LastError.h"

CLineFile::~CLineFile() {
    Close();
}

bool CLineFile::Open(const std::string& strPath) {
    Close();
    const size_t nSlash = strPath.rfind('/');
    if (nSlash != std::string::npos && nSlash > 0 &&
        !MakeDirectories(strPath.substr(0, nSlash), 0700)) {
        SetLastErrorFromErrno();
        return false;
    }
    m_fd = open(strPath.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    struct stat st {};
    if (m_fd < 0 || fstat(m_fd, &st) != 0) {
        SetLastErrorFromErrno();
        Close();
        return false;
    }
    m_nSize = static_cast<uint64_t>(st.st_size);
    // A crash mid-line left it without its end: end it, or the next line would join it.
    char chLast = '\n';
    if (m_nSize > 0 && pread(m_fd, &chLast, 1, static_cast<off_t>(m_nSize - 1)) == 1 &&
        chLast != '\n' && !Append(std::string())) {
        Close();
        return false;
    }
    return true;
}

void CLineFile::Close() {
    if (m_fd >= 0) close(m_fd);
    m_fd = -1;
    m_nSize = 0;
}

bool CLineFile::Append(const std::string& strLine) {
    const std::string strWhole = strLine + '\n';
    const ssize_t r = write(m_fd, strWhole.data(), strWhole.size());
    if (r == static_cast<ssize_t>(strWhole.size())) {
        m_nSize += strWhole.size();
        return true;
    }
    const int nError = r < 0 ? errno : ENOSPC;
    // Half a line went in (the disk filled up): end it so that it spoils only itself.
    if (r > 0) {
        m_nSize += static_cast<uint64_t>(r);
        if (WriteAll(m_fd, "\n", 1)) ++m_nSize;
    }
    SetLastError(static_cast<uint32_t>(nError));
    return false;
}

bool CLineFile::Sync() {
    if (fdatasync(m_fd) == 0) return true;
    SetLastErrorFromErrno();
    return false;
}

bool ReadLines(const std::string& strPath, std::vector<std::string>& arrLines) {
    arrLines.clear();
    std::string strAll;
    if (!ReadWholeFile(strPath, strAll)) {
        SetLastErrorFromErrno();
        return false;
    }
    for (size_t nFrom = 0, nEnd; (nEnd = strAll.find('\n', nFrom)) != std::string::npos;
         nFrom = nEnd + 1)
        arrLines.push_back(strAll.substr(nFrom, nEnd - nFrom));
    return true;
}

bool RotateFiles(const std::string& strPath, int nKeep) {
    for (int i = nKeep; i >= 1; --i) {
        const std::string strFrom = i == 1 ? strPath : strPath + "." + std::to_string(i - 1);
        if (rename(strFrom.c_str(), (strPath + "." + std::to_string(i)).c_str()) != 0 &&
            errno != ENOENT) {
            SetLastErrorFromErrno();
            return false;
        }
    }
    return true;
}
