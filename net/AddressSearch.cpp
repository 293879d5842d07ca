#include "net/AddressSearch.h"

#include "net/Provisioning.h"

CAddressSearch::CAddressSearch(CAddressProvisioning& provisioning, uint32_t dwAddrNet, int nTries,
                               FTrying fnTrying, FDone fnDone, bool bAskFirst)
    : m_provisioning(provisioning), m_fnTrying(std::move(fnTrying)), m_fnDone(std::move(fnDone)) {
    m_thread =
        std::thread([this, dwAddrNet, nTries, bAskFirst] { Run(dwAddrNet, nTries, bAskFirst); });
}

CAddressSearch::~CAddressSearch() {
    Cancel();
    if (m_thread.joinable()) m_thread.join();
}

void CAddressSearch::Forget() {
    Cancel();
    std::lock_guard lock(m_mutex);
    m_fnTrying = nullptr;
    m_fnDone = nullptr;
}

void CAddressSearch::Run(uint32_t dwAddrNet, int nTries, bool bAskFirst) {
    const auto fnTrying = [this](uint32_t dwAddr) {
        if (m_bCancel) return false;
        std::lock_guard lock(m_mutex);
        if (m_fnTrying) m_fnTrying(dwAddr);
        return true;
    };
    CResult result{EOutcome::Free, dwAddrNet};
    const bool bTaken =
        !bAskFirst || (fnTrying(dwAddrNet) && m_provisioning.PingAddress(dwAddrNet));
    if (bTaken && !m_bCancel) {
        uint32_t dwAddr = dwAddrNet;
        const bool bFound = m_provisioning.FindFreeAddress(dwAddr, nTries, fnTrying);
        result = {bFound ? EOutcome::Moved : EOutcome::NoneFree, dwAddr};
    }
    // A cancel that came while the last echo request was under way wins.
    if (m_bCancel) result = {EOutcome::Cancelled, dwAddrNet};
    {
        std::lock_guard lock(m_mutex);
        if (m_fnDone) m_fnDone(result);
    }
    m_bEnded = true;
}
