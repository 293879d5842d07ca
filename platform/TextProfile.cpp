#include "platform/TextProfile.h"

#include "platform/IniCodec.h"

int32_t CTextProfile::GetProfileInt(const std::string& strSection, const std::string& strKey,
                                    int32_t nDefault) {
    std::string strValue;
    return IniFindValue(m_strText, strSection, strKey, strValue) ? IniParseInt(strValue) : nDefault;
}

std::string CTextProfile::GetProfileString(const std::string& strSection, const std::string& strKey,
                                           const std::string& strDefault) {
    std::string strValue;
    return IniFindValue(m_strText, strSection, strKey, strValue) ? strValue : strDefault;
}

void CTextProfile::WriteProfileInt(const std::string& strSection, const std::string& strKey,
                                   int32_t nValue) {
    WriteProfileString(strSection, strKey, std::to_string(nValue));
}

void CTextProfile::WriteProfileString(const std::string& strSection, const std::string& strKey,
                                      const std::string& strValue) {
    std::string strNew = m_strText;
    if (!IniWriteValue(strNew, strSection, strKey, strValue) || strNew == m_strText) return;
    m_strText.swap(strNew);
    m_bDirty = true;
}
