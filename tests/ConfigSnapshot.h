#pragma once
// Every field of the settings record as one value, so that two records compare in one
// expression; shared by the settings tests and the settings fuzz target.
#include <cstdint>
#include <string>
#include <vector>

#include "base/Config.h"
#include "platform/IniCodec.h"

struct CSnapshot {
    std::string strBootFile;
    int32_t nBootNet, nBootSerial, nComOpenAllPorts;
    std::string strComPort;
    int32_t nComBaud, nComProtocol, nComAutoMenu, nNetType;
    std::string strNetNode;
    bool bNetCache, bNetDhcp;
    uint32_t dwNetIp, dwNetIpMask;
    bool bTranAutoStart, bTranCloseDone;
    std::vector<std::string> arrBootFiles, arrNetNodes;
    bool bTerminal, bWizardMode;
    bool operator==(const CSnapshot&) const = default;
};

inline CSnapshot Snap(const CORXBootConfig& c) {
    return {c.m_strBootFile,  c.m_nBootNet,    c.m_nBootSerial,    c.m_nComOpenAllPorts,
            c.m_strComPort,   c.m_nComBaud,    c.m_nComProtocol,   c.m_nComAutoMenu,
            c.m_nNetType,     c.m_strNetNode,  c.m_bNetCache,      c.m_bNetDhcp,
            c.m_dwNetIp,      c.m_dwNetIpMask, c.m_bTranAutoStart, c.m_bTranCloseDone,
            c.m_arrBootFiles, c.m_arrNetNodes, c.m_bTerminal,      c.m_bWizardMode};
}

// What a save and a reload can give back: texts as the file keeps them, lists cut at 16
// entries or at the first entry that reads back empty.
inline CSnapshot Stored(CSnapshot s) {
    for (std::string* p : {&s.strBootFile, &s.strComPort, &s.strNetNode}) *p = IniStoredValue(*p);
    for (auto* pList : {&s.arrBootFiles, &s.arrNetNodes}) {
        std::vector<std::string> arr;
        for (const std::string& str : *pList) {
            if (arr.size() == 16 || IniStoredValue(str).empty()) break;
            arr.push_back(IniStoredValue(str));
        }
        *pList = arr;
    }
    return s;
}
