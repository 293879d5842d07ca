#include "image/TransferFile.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

#include "image/RecordChain.h"
#include "image/Sha256.h"
#include "platform/LastError.h"

namespace {
const uint8_t kSignature[7] = {'B', '0', '0', '0', 'F', 'F', '\n'};
}

int FindNoCase(const std::vector<std::string>& arrList, const std::string& str) {
    for (size_t i = 0; i < arrList.size(); ++i) {
        if (strcasecmp(arrList[i].c_str(), str.c_str()) == 0) return static_cast<int>(i);
    }
    return -1;
}

bool CTransferFile::Load(const std::string& strPath, std::vector<std::string>* pRecentFiles) {
    Unload();
    const int fd = open(strPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat st {};
    uint32_t dwError = 0;
    if (fd < 0 || fstat(fd, &st) != 0) {
        dwError = static_cast<uint32_t>(errno);
    } else if (!S_ISREG(st.st_mode)) {
        // A directory or a device is no boot file either.
        dwError = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    }
    if (dwError != 0) {
        SetLastError(dwError);
        if (fd >= 0) close(fd);
        if (pRecentFiles) {
            const int i = FindNoCase(*pRecentFiles, strPath);
            if (i >= 0) pRecentFiles->erase(pRecentFiles->begin() + i);
        }
        return false;
    }
    if (st.st_size > 0xFFFFFFFFll) {
        close(fd);
        SetLastError(EFBIG);
        return false;
    }
    m_nLength = static_cast<uint32_t>(st.st_size);
    if (m_nLength <= 8) {
        SetLastError(ERROR_UNKNOWN_REVISION);
        m_strRefused = m_nLength == 0 ? "the file is empty: not a boot image"
                                      : "the file is only " + std::to_string(m_nLength) +
                                            " bytes long: too short for a boot image";
        close(fd);
        return false;
    }
    m_pData.reset(new (std::nothrow) uint8_t[m_nLength]);
    if (!m_pData) {
        SetLastError(ENOMEM);
        close(fd);
        return false;
    }
    size_t nDone = 0;
    while (nDone < m_nLength) {
        const ssize_t n = read(fd, m_pData.get() + nDone, m_nLength - nDone);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            SetLastError(n < 0 ? static_cast<uint32_t>(errno) : EIO);
            close(fd);
            return false;
        }
        nDone += static_cast<size_t>(n);
    }
    close(fd);
    if (std::memcmp(m_pData.get(), kSignature, sizeof kSignature) != 0) {
        SetLastError(ERROR_UNKNOWN_REVISION);
        m_strRefused = "not a boot image: the file does not start with B000FF";
        return false;
    }
    return true;
}

const std::string& CTransferFile::Sha256() const {
    if (m_strSha256.empty() && m_pData) m_strSha256 = Sha256Hex(m_pData.get(), m_nLength);
    return m_strSha256;
}

void CTransferFile::Unload() {
    std::lock_guard<std::mutex> guard(m_lockIndex);
    m_pData.reset();
    m_arrIndex.clear();
    m_arrIndex.shrink_to_fit();
    m_nLength = 0;
    m_strSha256.clear();
    m_strRefused.clear();
}

bool CTransferFile::BuildRecordIndex() {
    std::lock_guard<std::mutex> guard(m_lockIndex);
    if (!m_arrIndex.empty()) return true;
    const CRecordChainEnd end =
        WalkRecordChain(m_pData.get(), m_nLength, [this](const CTransferFileRecInfo& rec) {
            if (rec.Address() == 0)
                m_arrIndex.push_back(rec);
            else
                InsertRecordSorted(rec);
        });
    if (end.eResult == ERecordChain::kComplete) return true;
    // A broken chain fails every later attempt on the same image the same way.
    m_arrIndex.clear();
    return false;
}

void CTransferFile::InsertRecordSorted(CTransferFileRecInfo rec) {
    auto it = m_arrIndex.begin();
    while (it != m_arrIndex.end() && it->Address() < rec.Address()) ++it;
    m_arrIndex.insert(it, rec);
}
