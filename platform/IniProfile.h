#pragma once
#include <string>

#include "platform/TextProfile.h"

// A profile over one INI file: read whole when constructed, written back by Flush
// through a temporary file and a rename, so a crash or a full disk never loses the old file.
class CIniProfile : public CTextProfile {
public:
    explicit CIniProfile(std::string strPath);
    // Writes the file when anything was written since it was read; false on failure.
    bool Flush();

private:
    std::string m_strPath;
    // A file that exists but could not be read is never replaced by what we know of it.
    uint32_t m_dwReadError = 0;
};
