#include "platform/IniProfile.h"

#include <cerrno>

#include "platform/FileAccess.h"
#include "platform/IniCodec.h"
#include "platform/LastError.h"

CIniProfile::CIniProfile(std::string strPath) : m_strPath(std::move(strPath)) {
    if (!ReadWholeFile(m_strPath, m_strText)) m_dwReadError = static_cast<uint32_t>(errno);
}

bool CIniProfile::Flush() {
    if (m_dwReadError != 0) {
        SetLastError(m_dwReadError);
        return false;
    }
    if (!m_bDirty) return true;
    if (!ReplaceFile(m_strPath, m_strText)) return false;
    m_bDirty = false;
    return true;
}
