#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>

#include "base/AddressSearchHandle.h"

class CAddressProvisioning;

// The search behind IAddressSearch, on its own thread. With bAskFirst (the Ethernet page's
// test) the given address is asked first and kept when it is silent; without (start-up), the
// search begins after it.
class CAddressSearch : public IAddressSearch {
public:
    CAddressSearch(CAddressProvisioning& provisioning, uint32_t dwAddrNet, int nTries,
                   FTrying fnTrying, FDone fnDone, bool bAskFirst = true);
    // Cancels and waits for the echo request under way.
    ~CAddressSearch() override;
    CAddressSearch(const CAddressSearch&) = delete;
    CAddressSearch& operator=(const CAddressSearch&) = delete;

    void Cancel() override { m_bCancel = true; }
    // Any thread: cancels, and neither callback is called once this returns.
    void Forget();
    // The thread has made its last call and is about to end.
    bool Ended() const { return m_bEnded; }

private:
    void Run(uint32_t dwAddrNet, int nTries, bool bAskFirst);

    CAddressProvisioning& m_provisioning;
    std::mutex m_mutex;  // held while a callback runs, so Forget waits for it
    FTrying m_fnTrying;
    FDone m_fnDone;
    std::atomic<bool> m_bCancel{false};
    std::atomic<bool> m_bEnded{false};
    std::thread m_thread;
};
