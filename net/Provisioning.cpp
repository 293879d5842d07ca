#include <cstring>

#include "app/ORXBootApp.h"
#include "platform/LastError.h"
#include "platform/MessageBox.h"
#include "platform/NetworkInfo.h"

namespace {
constexpr uint32_t kPingTimeoutMs = 1000;
constexpr int kStartupTries = 64;

// The next candidate on the host's /24, whatever the mask: 2 to 254, then round again.
uint32_t NextCandidateAddress(uint32_t dwAddrNet) {
    uint8_t arrOctets[4];
    std::memcpy(arrOctets, &dwAddrNet, sizeof arrOctets);
    arrOctets[3] = arrOctets[3] < 254 ? static_cast<uint8_t>(arrOctets[3] + 1) : 2;
    std::memcpy(&dwAddrNet, arrOctets, sizeof arrOctets);
    return dwAddrNet;
}
}  // namespace

bool CORXBootApp::PingAddress(uint32_t dwAddr) {
    if (m_sys.pNetwork == nullptr) return false;
    return m_sys.pNetwork->Ping(dwAddr, kPingTimeoutMs);
}

bool CORXBootApp::FindFreeAddress(uint32_t& dwAddr, int nTries) {
    return FindFreeAddress(dwAddr, nTries, [](uint32_t) { return true; });
}

bool CORXBootApp::FindFreeAddress(uint32_t& dwAddr, int nTries,
                                  const std::function<bool(uint32_t)>& fnTrying) {
    uint32_t dwTry = dwAddr;
    for (int i = 0; i < nTries; ++i) {
        dwTry = NextCandidateAddress(dwTry);
        if (!fnTrying(dwTry)) return false;
        dwAddr = dwTry;
        if (!PingAddress(dwAddr)) return true;
    }
    return false;
}

uint32_t CORXBootApp::ReadAdapterAddress() {
    uint32_t dwAddr = 0;
    uint32_t dwMask = 0;
    const uint32_t dwCode = m_sys.pNetwork->GetFirstAdapterAddress(dwAddr, dwMask);
    if (dwCode == ERROR_NOT_SUPPORTED) return 0;
    if (dwCode != 0) return dwCode;
    if (dwAddr == 0) return ERROR_NO_ADAPTER_ADDRESS;
    m_config.m_dwNetIpMask = dwMask;
    // Every candidate answering leaves the last one tried; the Ethernet page says so later.
    FindFreeAddress(dwAddr, kStartupTries);
    m_config.m_dwNetIp = dwAddr;
    return 0;
}

void CORXBootApp::LoadNetworkParams() {
    if (m_sys.pNetwork == nullptr) return;
    const uint32_t dwCode = ReadAdapterAddress();
    if (dwCode != 0) {
        m_sys.pMessageBox->Show("Error reading network params.\n" + FormatErrorText(dwCode), MB_OK);
    }
}
