#include "base/Config.h"

#include <cstring>

#include "base/TerminalText.h"
#include "platform/IniCodec.h"
#include "platform/Profile.h"

namespace {

const std::string kSection = "PARAMS";
constexpr int kListKeys = 16;

std::string ListKey(const char* pszBase, int nIndex) {
    return pszBase + std::to_string(nIndex);
}

void LoadList(IProfile& profile, const char* pszBase, std::vector<std::string>& arrList) {
    arrList.clear();
    for (int i = 0; i < kListKeys; ++i) {
        std::string strEntry = profile.GetProfileString(kSection, ListKey(pszBase, i), "");
        if (strEntry.empty()) break;
        arrList.push_back(std::move(strEntry));
    }
}

// Keys above the list are emptied, so a list that became shorter does not grow back
// from what an earlier, longer one left behind.
void SaveList(IProfile& profile, const char* pszBase, const std::vector<std::string>& arrList) {
    const int nCount = arrList.size() < kListKeys ? static_cast<int>(arrList.size()) : kListKeys;
    for (int i = 0; i < nCount; ++i)
        profile.WriteProfileString(kSection, ListKey(pszBase, i), arrList[static_cast<size_t>(i)]);
    for (int i = nCount; i < kListKeys; ++i) {
        const std::string strKey = ListKey(pszBase, i);
        if (!profile.GetProfileString(kSection, strKey, "").empty())
            profile.WriteProfileString(kSection, strKey, "");
    }
}

bool GetBool(IProfile& profile, const char* pszKey, bool bDefault) {
    return profile.GetProfileInt(kSection, pszKey, bDefault ? 1 : 0) != 0;
}

// An address is held in network byte order; the file holds the 32 bits of its bytes read
// least significant first (the first octet lowest), whatever this machine's byte order.
uint32_t AddressFromStored(int32_t nStored) {
    const auto dw = static_cast<uint32_t>(nStored);
    const uint8_t bytes[4] = {static_cast<uint8_t>(dw), static_cast<uint8_t>(dw >> 8),
                              static_cast<uint8_t>(dw >> 16), static_cast<uint8_t>(dw >> 24)};
    uint32_t dwAddr = 0;
    std::memcpy(&dwAddr, bytes, sizeof dwAddr);
    return dwAddr;
}

int32_t AddressToStored(uint32_t dwAddr) {
    uint8_t bytes[4];
    std::memcpy(bytes, &dwAddr, sizeof bytes);
    const uint32_t dw = bytes[0] | (uint32_t{bytes[1]} << 8) | (uint32_t{bytes[2]} << 16) |
                        (uint32_t{bytes[3]} << 24);
    return static_cast<int32_t>(dw);
}

}  // namespace

void CORXBootConfig::Load(IProfile& profile) {
    m_strBootFile = profile.GetProfileString(kSection, "BOOTFILE", "");
    LoadList(profile, "BOOTFILE", m_arrBootFiles);
    m_nBootNet = profile.GetProfileInt(kSection, "BOOTNET", 0);
    m_nBootSerial = profile.GetProfileInt(kSection, "BOOTSERIAL", 0);
    m_nComOpenAllPorts = profile.GetProfileInt(kSection, "COMOPENALLPORTS", 1);
    m_strComPort = profile.GetProfileString(kSection, "COMPORT", "COM1");
    m_nComBaud = profile.GetProfileInt(kSection, "COMBAUD", 115200);
    m_nComProtocol = profile.GetProfileInt(kSection, "COMPROTOCOL", 0);
    m_nComAutoMenu = profile.GetProfileInt(kSection, "COMAUTOMENU", 1);
    m_nNetType = profile.GetProfileInt(kSection, "NETTYPE", 1);
    m_strNetNode = profile.GetProfileString(kSection, "NETNODE", "ORXHV7410");
    LoadList(profile, "NETNODE", m_arrNetNodes);
    m_bNetCache = GetBool(profile, "NETCACHE", true);
    m_bNetDhcp = GetBool(profile, "NETDHCP", false);
    m_dwNetIp = AddressFromStored(profile.GetProfileInt(kSection, "NETIP", 0));
    m_dwNetIpMask = AddressFromStored(profile.GetProfileInt(kSection, "NETIPMASK", 0));
    m_bTranAutoStart = GetBool(profile, "TRANAUTOSTART", false);
    m_bTranCloseDone = GetBool(profile, "TRANCLOSEDONE", true);
    m_bWizardMode = GetBool(profile, "WIZARDMODE", true);
    m_bTerminal = GetBool(profile, "TERMINAL", false);
}

void CORXBootConfig::Save(IProfile& profile) const {
    profile.WriteProfileString(kSection, "BOOTFILE", m_strBootFile);
    SaveList(profile, "BOOTFILE", m_arrBootFiles);
    profile.WriteProfileInt(kSection, "BOOTNET", m_nBootNet);
    profile.WriteProfileInt(kSection, "BOOTSERIAL", m_nBootSerial);
    profile.WriteProfileInt(kSection, "COMOPENALLPORTS", m_nComOpenAllPorts);
    profile.WriteProfileString(kSection, "COMPORT", m_strComPort);
    profile.WriteProfileInt(kSection, "COMBAUD", m_nComBaud);
    profile.WriteProfileInt(kSection, "COMPROTOCOL", m_nComProtocol);
    profile.WriteProfileInt(kSection, "COMAUTOMENU", m_nComAutoMenu);
    profile.WriteProfileInt(kSection, "NETTYPE", m_nNetType);
    profile.WriteProfileString(kSection, "NETNODE", m_strNetNode);
    SaveList(profile, "NETNODE", m_arrNetNodes);
    profile.WriteProfileInt(kSection, "NETCACHE", m_bNetCache ? 1 : 0);
    profile.WriteProfileInt(kSection, "NETDHCP", m_bNetDhcp ? 1 : 0);
    profile.WriteProfileInt(kSection, "NETIP", AddressToStored(m_dwNetIp));
    profile.WriteProfileInt(kSection, "NETIPMASK", AddressToStored(m_dwNetIpMask));
    profile.WriteProfileInt(kSection, "TRANAUTOSTART", m_bTranAutoStart ? 1 : 0);
    profile.WriteProfileInt(kSection, "TRANCLOSEDONE", m_bTranCloseDone ? 1 : 0);
    profile.WriteProfileInt(kSection, "TERMINAL", m_bTerminal ? 1 : 0);
    profile.WriteProfileInt(kSection, "WIZARDMODE", m_bWizardMode ? 1 : 0);
}

bool HasControlBytes(std::string_view str) {
    for (const char c : str) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) return true;
    }
    return false;
}

std::string CORXBootConfig::ParseParam(const std::string& strParam) {
    std::string_view arg = strParam;
    if (!arg.empty() && (arg.front() == '/' || arg.front() == '-')) arg.remove_prefix(1);
    if (arg.empty()) return {};
    char cOption = arg.front();
    if (cOption >= 'A' && cOption <= 'Z') cOption = static_cast<char>(cOption - 'A' + 'a');
    const std::string_view value = arg.substr(1);
    if ((cOption == 'f' || cOption == 'c') && HasControlBytes(value)) {
        return std::string("/") + cOption + " ignored: the " +
               (cOption == 'f' ? "boot file" : "port") +
               " name holds a line break or a control character: " +
               PrintableText(std::string(value));
    }

    switch (cOption) {
        case '4':
            m_nComProtocol = 1;
            break;
        case '5':
            m_nComProtocol = 0;
            break;
        case 'b':
            m_nComBaud = IniParseInt(value);
            if (m_nComBaud == 0) m_nBootSerial = 0;
            break;
        case 'c':
            if (value.empty()) {
                m_nBootSerial = 0;
            } else {
                m_nComOpenAllPorts = 0;
                m_nBootSerial = 1;
                m_strComPort.assign(value);
            }
            break;
        case 'f':
            m_strBootFile.assign(value);
            break;
        case 'n':
            m_nBootNet = value.empty() ? 1 : IniParseInt(value);
            break;
        case 't':
            m_bTerminal = value.empty() || IniParseInt(value) != 0;
            break;
        case 'w':
            m_bWizardMode = value.empty() || IniParseInt(value) != 0;
            break;
        default:
            break;
    }
    return {};
}
