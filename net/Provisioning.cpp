#include "net/Provisioning.h"

#include <cstring>

#include "base/Config.h"
#include "base/FormatText.h"
#include "base/PlatformServices.h"
#include "base/Prompts.h"
#include "base/Views.h"
#include "net/AddressSearch.h"
#include "platform/LastError.h"
#include "platform/MessageBox.h"
#include "platform/Messages.h"
#include "platform/NetworkInfo.h"

namespace {
constexpr uint32_t kPingTimeoutMs = 1000;
constexpr int kStartupTries = 64;
// From the start-up search's thread to the UI thread.
constexpr uint32_t WM_ADDRESS_TRIED = WM_USER + 520;
constexpr uint32_t WM_ADDRESS_SEARCHED = WM_USER + 521;

// The next candidate on the host's /24, whatever the mask: 2 to 254, then round again.
uint32_t NextCandidateAddress(uint32_t dwAddrNet) {
    uint8_t arrOctets[4];
    std::memcpy(arrOctets, &dwAddrNet, sizeof arrOctets);
    arrOctets[3] = arrOctets[3] < 254 ? static_cast<uint8_t>(arrOctets[3] + 1) : 2;
    std::memcpy(&dwAddrNet, arrOctets, sizeof arrOctets);
    return dwAddrNet;
}

CMessage AddressMessage(uint32_t nMsg, uint32_t dwAddr, bool bFound = false) {
    CMessage msg;
    msg.nMsg = nMsg;
    msg.wParam = dwAddr;
    msg.lParam = bFound ? 1 : 0;
    return msg;
}
}  // namespace

// What a face holds: dropping it hands the search back to be joined once its thread ends.
class CAddressProvisioning::CSearchHandle : public IAddressSearch {
public:
    CSearchHandle(CAddressProvisioning& provisioning, std::unique_ptr<CAddressSearch> pSearch)
        : m_provisioning(provisioning), m_pSearch(std::move(pSearch)) {}
    ~CSearchHandle() override { m_provisioning.Retire(std::move(m_pSearch)); }
    void Cancel() override { m_pSearch->Cancel(); }

private:
    CAddressProvisioning& m_provisioning;
    std::unique_ptr<CAddressSearch> m_pSearch;
};

CAddressProvisioning::CAddressProvisioning(const CPlatformServices& sys, IUserPrompts& prompts)
    : m_sys(sys), m_prompts(prompts) {}

CAddressProvisioning::~CAddressProvisioning() = default;

std::unique_ptr<IAddressSearch> CAddressProvisioning::StartAddressSearch(
    uint32_t dwAddrNet, int nTries, IAddressSearch::FTrying fnTrying,
    IAddressSearch::FDone fnDone) {
    return std::make_unique<CSearchHandle>(
        *this, std::make_unique<CAddressSearch>(*this, dwAddrNet, nTries, std::move(fnTrying),
                                                std::move(fnDone)));
}

void CAddressProvisioning::Retire(std::unique_ptr<CAddressSearch> pSearch) {
    // Joining now could hold the UI thread for the rest of an echo request.
    pSearch->Forget();
    std::erase_if(m_arrRetired, [](const auto& p) { return p->Ended(); });
    m_arrRetired.push_back(std::move(pSearch));
}

bool CAddressProvisioning::PingAddress(uint32_t dwAddr) {
    if (m_sys.pNetwork == nullptr) return false;
    return m_sys.pNetwork->Ping(dwAddr, kPingTimeoutMs);
}

bool CAddressProvisioning::FindFreeAddress(uint32_t& dwAddr, int nTries,
                                           const std::function<bool(uint32_t)>& fnTrying) {
    uint32_t dwTry = dwAddr;
    for (int i = 0; i < nTries; ++i) {
        dwTry = NextCandidateAddress(dwTry);
        if (fnTrying && !fnTrying(dwTry)) return false;
        dwAddr = dwTry;
        if (!PingAddress(dwAddr)) return true;
    }
    return false;
}

uint32_t CAddressProvisioning::ReadAdapterAddress(CORXBootConfig& config,
                                                  IStartupSearchView* pFront) {
    uint32_t dwAddr = 0;
    uint32_t dwMask = 0;
    const uint32_t dwCode = m_sys.pNetwork->GetFirstAdapterAddress(dwAddr, dwMask);
    if (dwCode == ERROR_NOT_SUPPORTED) return 0;
    if (dwCode != 0) return dwCode;
    if (dwAddr == 0) return ERROR_NO_ADAPTER_ADDRESS;

    // The search's reports reach this thread through a target of its own.
    bool bDone = false;
    bool bCancelled = false;
    IMessagePoster& poster = *m_sys.pPoster;
    const HWND hTarget = poster.CreateWindow([&](CMessage& msg) {
        if (msg.nMsg == WM_ADDRESS_TRIED) {
            if (pFront) pFront->OnAddressTried(static_cast<uint32_t>(msg.wParam));
        } else if (msg.nMsg == WM_ADDRESS_SEARCHED) {
            dwAddr = static_cast<uint32_t>(msg.wParam);
            bCancelled = msg.lParam == 0;
            bDone = true;
        }
    });
    if (pFront) pFront->OnAddressSearchStarted();
    {
        CAddressSearch search(
            *this, dwAddr, kStartupTries,
            [&poster, hTarget](uint32_t dwTry) {
                poster.PostMessage(hTarget, AddressMessage(WM_ADDRESS_TRIED, dwTry));
            },
            [&poster, hTarget](const CAddressSearch::CResult& result) {
                const bool bKept = result.eOutcome != CAddressSearch::EOutcome::Cancelled;
                poster.PostMessage(hTarget,
                                   AddressMessage(WM_ADDRESS_SEARCHED, result.dwAddr, bKept));
            },
            false);
        m_pStartupSearch = &search;
        poster.DispatchUntil([&bDone] { return bDone; });
        m_pStartupSearch = nullptr;
    }
    poster.DestroyWindow(hTarget);
    if (pFront) pFront->OnAddressSearchEnded();
    // Every candidate answering leaves the last one tried; the Ethernet page says so later.
    if (!bCancelled) {
        config.m_dwNetIpMask = dwMask;
        config.m_dwNetIp = dwAddr;
    }
    return 0;
}

void CAddressProvisioning::LoadNetworkParams(CORXBootConfig& config, IStartupSearchView* pFront) {
    if (m_sys.pNetwork == nullptr) return;
    const uint32_t dwCode = ReadAdapterAddress(config, pFront);
    if (dwCode != 0) {
        m_prompts.Tell({EPrompt::NetworkParams,
                        "Error reading network params.\n" + FormatErrorText(dwCode), MB_OK});
    }
}

void CAddressProvisioning::CancelAddressSearch() {
    if (m_pStartupSearch) m_pStartupSearch->Cancel();
}
