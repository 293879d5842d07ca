#pragma once
#include <string>

#include "platform/Profile.h"

// A profile over one INI file: read whole when constructed, written back by Flush
// through a temporary file and a rename, so a crash or a full disk never loses the old file.
class CIniProfile : public IProfile {
public:
    explicit CIniProfile(std::string strPath);
    int32_t GetProfileInt(const std::string& strSection, const std::string& strKey,
                          int32_t nDefault) override;
    std::string GetProfileString(const std::string& strSection, const std::string& strKey,
                                 const std::string& strDefault) override;
    void WriteProfileInt(const std::string& strSection, const std::string& strKey,
                         int32_t nValue) override;
    void WriteProfileString(const std::string& strSection, const std::string& strKey,
                            const std::string& strValue) override;
    // Writes the file when anything was written since it was read; false on failure.
    bool Flush();

private:
    std::string m_strPath;
    std::string m_strText;
    bool m_bDirty = false;
    // A file that exists but could not be read is never replaced by what we know of it.
    uint32_t m_dwReadError = 0;
};
