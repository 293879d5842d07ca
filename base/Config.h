#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class IProfile;

// Every setting of the program, filled once at start and saved once at the end.
// Fields that serial worker threads read while the UI thread may change them are atomic.
class CORXBootConfig {
public:
    std::string m_strBootFile;                // BOOTFILE
    std::atomic<int32_t> m_nBootNet{0};       // BOOTNET
    std::atomic<int32_t> m_nBootSerial{0};    // BOOTSERIAL
    int32_t m_nComOpenAllPorts = 0;           // COMOPENALLPORTS
    std::string m_strComPort;                 // COMPORT
    int32_t m_nComBaud = 0;                   // COMBAUD
    std::atomic<int32_t> m_nComProtocol{0};   // COMPROTOCOL
    std::atomic<int32_t> m_nComAutoMenu{0};   // COMAUTOMENU
    int32_t m_nNetType = 0;                   // NETTYPE
    std::string m_strNetNode;                 // NETNODE
    bool m_bNetCache = false;                 // NETCACHE
    std::atomic<bool> m_bNetDhcp{false};      // NETDHCP
    std::atomic<uint32_t> m_dwNetIp{0};       // NETIP, network byte order
    std::atomic<uint32_t> m_dwNetIpMask{0};   // NETIPMASK, network byte order
    bool m_bTranAutoStart = false;            // TRANAUTOSTART
    bool m_bTranCloseDone = false;            // TRANCLOSEDONE
    std::vector<std::string> m_arrBootFiles;  // BOOTFILE0..15, newest first
    std::vector<std::string> m_arrNetNodes;   // NETNODE0..15, newest first
    bool m_bTerminal = false;                 // TERMINAL
    bool m_bWizardMode = false;               // WIZARDMODE

    // Reads every key of section PARAMS, with the defaults for missing keys.
    void Load(IProfile& profile);
    // Writes every key, changed or not, in the fixed order.
    void Save(IProfile& profile) const;
    // One command-line argument; a leading "/" or "-" is removed first. Empty when taken
    // (or ignored as no option), else why it changed nothing.
    std::string ParseParam(const std::string& strParam);
};

// A line break or another control byte: a settings line would end there, and the rest
// would come back as another key.
bool HasControlBytes(std::string_view str);
