#include "app/AddressSearch.h"

#include "app/ORXBootApp.h"

CAddressSearch::CAddressSearch(CORXBootApp& app, uint32_t dwAddrNet, int nTries, FTrying fnTrying,
                               FDone fnDone)
    : m_app(app), m_fnTrying(std::move(fnTrying)), m_fnDone(std::move(fnDone)) {
    m_thread = std::thread([this, dwAddrNet, nTries] { Run(dwAddrNet, nTries); });
}

CAddressSearch::~CAddressSearch() {
    Cancel();
    if (m_thread.joinable()) m_thread.join();
}

void CAddressSearch::Run(uint32_t dwAddrNet, int nTries) {
    const auto fnTrying = [this](uint32_t dwAddr) {
        if (m_bCancel) return false;
        m_fnTrying(dwAddr);
        return true;
    };
    CResult result{EOutcome::Cancelled, dwAddrNet};
    if (fnTrying(dwAddrNet)) {
        if (!m_app.PingAddress(dwAddrNet)) {
            result.eOutcome = EOutcome::Free;
        } else {
            uint32_t dwAddr = dwAddrNet;
            if (m_app.FindFreeAddress(dwAddr, nTries, fnTrying)) {
                result = {EOutcome::Moved, dwAddr};
            } else if (!m_bCancel) {
                result = {EOutcome::NoneFree, dwAddr};
            }
        }
    }
    // A cancel that came while the last echo request was under way wins.
    if (m_bCancel) result = {EOutcome::Cancelled, dwAddrNet};
    m_fnDone(result);
}
