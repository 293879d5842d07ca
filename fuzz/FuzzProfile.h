#pragma once
// What the settings fuzz targets share: a profile over INI text and a field-by-field compare.
#include <cstdint>
#include <string>

#include "app/Config.h"
#include "platform/IniCodec.h"
#include "platform/Profile.h"

class CTextProfile : public IProfile {
public:
    explicit CTextProfile(std::string strText = {}) : m_strText(std::move(strText)) {}
    int32_t GetProfileInt(const std::string& strSection, const std::string& strKey,
                          int32_t nDefault) override {
        std::string strValue;
        return IniFindValue(m_strText, strSection, strKey, strValue) ? IniParseInt(strValue)
                                                                     : nDefault;
    }
    std::string GetProfileString(const std::string& strSection, const std::string& strKey,
                                 const std::string& strDefault) override {
        std::string strValue;
        return IniFindValue(m_strText, strSection, strKey, strValue) ? strValue : strDefault;
    }
    void WriteProfileInt(const std::string& strSection, const std::string& strKey,
                         int32_t nValue) override {
        WriteProfileString(strSection, strKey, std::to_string(nValue));
    }
    void WriteProfileString(const std::string& strSection, const std::string& strKey,
                            const std::string& strValue) override {
        IniWriteValue(m_strText, strSection, strKey, strValue);
    }
    std::string m_strText;
};

// The record read back after a save, where a text field holds what the file can keep of it.
inline bool ReadsBackAs(const CORXBootConfig& saved, const CORXBootConfig& back) {
    const auto stored = [](const std::string& s) { return IniStoredValue(s); };
    auto listBack = [&](const std::vector<std::string>& arr) {
        std::vector<std::string> out;
        for (const std::string& s : arr) {
            if (out.size() == 16 || stored(s).empty()) break;
            out.push_back(stored(s));
        }
        return out;
    };
    return back.m_strBootFile == stored(saved.m_strBootFile) &&
           back.m_nBootNet == saved.m_nBootNet && back.m_nBootSerial == saved.m_nBootSerial &&
           back.m_nComOpenAllPorts == saved.m_nComOpenAllPorts &&
           back.m_strComPort == stored(saved.m_strComPort) && back.m_nComBaud == saved.m_nComBaud &&
           back.m_nComProtocol == saved.m_nComProtocol &&
           back.m_nComAutoMenu == saved.m_nComAutoMenu && back.m_nNetType == saved.m_nNetType &&
           back.m_strNetNode == stored(saved.m_strNetNode) &&
           back.m_bNetCache == saved.m_bNetCache && back.m_bNetDhcp == saved.m_bNetDhcp &&
           back.m_dwNetIp == saved.m_dwNetIp && back.m_dwNetIpMask == saved.m_dwNetIpMask &&
           back.m_bTranAutoStart == saved.m_bTranAutoStart &&
           back.m_bTranCloseDone == saved.m_bTranCloseDone &&
           back.m_arrBootFiles == listBack(saved.m_arrBootFiles) &&
           back.m_arrNetNodes == listBack(saved.m_arrNetNodes) &&
           back.m_bTerminal == saved.m_bTerminal && back.m_bWizardMode == saved.m_bWizardMode;
}
