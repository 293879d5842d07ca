#pragma once
#include <string>

#include "platform/Profile.h"

// A profile over INI text held in memory: what a settings file contains.
class CTextProfile : public IProfile {
public:
    explicit CTextProfile(std::string strText = {}) : m_strText(std::move(strText)) {}
    int32_t GetProfileInt(const std::string& strSection, const std::string& strKey,
                          int32_t nDefault) override;
    std::string GetProfileString(const std::string& strSection, const std::string& strKey,
                                 const std::string& strDefault) override;
    void WriteProfileInt(const std::string& strSection, const std::string& strKey,
                         int32_t nValue) override;
    void WriteProfileString(const std::string& strSection, const std::string& strKey,
                            const std::string& strValue) override;

    std::string m_strText;
    bool m_bDirty = false;  // the text changed since it was read
};
