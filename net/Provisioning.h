#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "base/AddressSearchHandle.h"

class CAddressSearch;
class CORXBootConfig;
class IStartupSearchView;
class IUserPrompts;
struct CPlatformServices;

// Unit address provisioning: a fixed address for units that no machine answers at, proposed
// at start-up after the host's own address and tested when the Ethernet page applies one.
class CAddressProvisioning {
public:
    CAddressProvisioning(const CPlatformServices& sys, IUserPrompts& prompts);
    // Waits for the echo requests of searches given up on, at most a second.
    ~CAddressProvisioning();

    // Any thread: one echo request, answered within 1000 ms.
    bool PingAddress(uint32_t dwAddr);
    // Any thread: the candidates after dwAddr (last octet 2 to 254, round again) until one is
    // silent (true, dwAddr holds it) or nTries answered (false, dwAddr holds the last).
    // fnTrying, when given, sees each candidate before its echo request; its false ends
    // the search at once with false, dwAddr holding the last candidate asked.
    bool FindFreeAddress(uint32_t& dwAddr, int nTries,
                         const std::function<bool(uint32_t)>& fnTrying = {});

    // UI thread, at start-up: the first adapter's mask and the first silent address after
    // its own become NETIPMASK and NETIP. The search runs on a worker while this thread runs
    // a local event loop; the face follows it. A system error code, 0 when no message is due.
    uint32_t ReadAdapterAddress(CORXBootConfig& config, IStartupSearchView* pFront);
    // ReadAdapterAddress, and the message "Error reading network params." on failure.
    void LoadNetworkParams(CORXBootConfig& config, IStartupSearchView* pFront);
    // UI thread: the start-up search sends no further echo request; NETIP and NETIPMASK keep
    // the values loaded from the settings.
    void CancelAddressSearch();

    // UI thread: the Ethernet page's test of an address on a thread of its own (see
    // CAddressSearch). Dropping the handle cancels it without waiting for the echo request
    // under way, and no callback comes after that.
    std::unique_ptr<IAddressSearch> StartAddressSearch(uint32_t dwAddrNet, int nTries,
                                                       IAddressSearch::FTrying fnTrying,
                                                       IAddressSearch::FDone fnDone);

private:
    class CSearchHandle;
    void Retire(std::unique_ptr<CAddressSearch> pSearch);

    const CPlatformServices& m_sys;
    IUserPrompts& m_prompts;
    CAddressSearch* m_pStartupSearch = nullptr;                 // while the start-up search runs
    std::vector<std::unique_ptr<CAddressSearch>> m_arrRetired;  // until their threads end
};
