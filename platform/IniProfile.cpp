#include "platform/IniProfile.h"

CIniProfile::CIniProfile(std::string strPath) : m_strPath(std::move(strPath)) {}
int32_t CIniProfile::GetProfileInt(const std::string&, const std::string&, int32_t nDefault) {
    return nDefault;
}
std::string CIniProfile::GetProfileString(const std::string&, const std::string&,
                                          const std::string& strDefault) {
    return strDefault;
}
void CIniProfile::WriteProfileInt(const std::string&, const std::string&, int32_t) {}
void CIniProfile::WriteProfileString(const std::string&, const std::string&, const std::string&) {}
bool CIniProfile::Flush() { return true; }
