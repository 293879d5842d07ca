#pragma once
// What the settings fuzz targets share: a field-by-field compare of a record read back.
#include <cstdint>
#include <string>

#include "app/Config.h"
#include "platform/IniCodec.h"
#include "platform/TextProfile.h"

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
