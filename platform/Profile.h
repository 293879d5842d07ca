#pragma once
#include <cstdint>
#include <string>

// Private-profile semantics: section and key names compared without case,
// values as text, numbers read from their leading digits.
class IProfile {
public:
    virtual ~IProfile() = default;
    virtual int32_t GetProfileInt(const std::string& strSection, const std::string& strKey,
                                  int32_t nDefault) = 0;
    virtual std::string GetProfileString(const std::string& strSection, const std::string& strKey,
                                         const std::string& strDefault) = 0;
    virtual void WriteProfileInt(const std::string& strSection, const std::string& strKey,
                                 int32_t nValue) = 0;
    virtual void WriteProfileString(const std::string& strSection, const std::string& strKey,
                                    const std::string& strValue) = 0;
};
