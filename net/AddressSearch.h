#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

class CAddressProvisioning;

// The search for a unit address that no machine answers at, off the UI thread: each echo
// request waits up to a second, so a face shows the address being tried and can cancel.
// With bAskFirst (the Ethernet page's test) the given address is asked first and kept when
// it is silent; without (start-up), the search begins after it.
class CAddressSearch {
public:
    enum class EOutcome {
        Free,       // the address did not answer
        Moved,      // it answered; dwAddr is the first silent one after it
        NoneFree,   // it and every try answered; dwAddr is the last one tried
        Cancelled,  // dwAddr is the address given
    };
    struct CResult {
        EOutcome eOutcome;
        uint32_t dwAddr;  // network byte order
    };
    // Both are called on the search's own thread: fnTrying before each echo request,
    // fnDone once at the end (also after Cancel).
    using FTrying = std::function<void(uint32_t dwAddrNet)>;
    using FDone = std::function<void(const CResult& result)>;

    CAddressSearch(CAddressProvisioning& provisioning, uint32_t dwAddrNet, int nTries,
                   FTrying fnTrying, FDone fnDone, bool bAskFirst = true);
    // Cancels and waits for the echo request under way.
    ~CAddressSearch();
    CAddressSearch(const CAddressSearch&) = delete;
    CAddressSearch& operator=(const CAddressSearch&) = delete;

    // Any thread: no further echo request is sent; the result says Cancelled.
    void Cancel() { m_bCancel = true; }

private:
    void Run(uint32_t dwAddrNet, int nTries, bool bAskFirst);

    CAddressProvisioning& m_provisioning;
    FTrying m_fnTrying;
    FDone m_fnDone;
    std::atomic<bool> m_bCancel{false};
    std::thread m_thread;
};
