#pragma once
// What a simulated unit decides, apart from the sockets that carry it out.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Socket.h"
#include "tools/orxunit/UnitPackets.h"

namespace orxunit {

struct CUnitSend {
    CSockAddr to;
    CBytes bytes;
};

// The result of one step: first move to a fresh UDP port if asked, then send.
struct CUnitActions {
    bool bNewPort = false;
    std::vector<CUnitSend> arrSend;
};

// Exit codes of orxunit.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitTimedOut = 3;

struct CUnitResult {
    int nCode = kExitOk;
    std::string strReason;  // why it failed or timed out
    std::string strNote;    // what a fault option observed
    uint64_t nBytes = 0;
    double dSeconds = 0;    // from the write request to the end of the data
    uint64_t nStartUs = 0;  // the same span on the loop's clock
    uint64_t nEndUs = 0;
};

// One unit's protocol, driven by a loop that owns the sockets and the clock (microseconds).
class IUnitSession {
public:
    virtual ~IUnitSession() = default;
    virtual void Start(uint64_t nNowUs, CUnitActions& act) = 0;
    virtual void OnDatagram(const uint8_t* p, size_t n, const CSockAddr& from, uint64_t nNowUs,
                            CUnitActions& act) = 0;
    virtual void OnTimer(uint64_t nNowUs, CUnitActions& act) = 0;
    // When OnTimer must run next.
    virtual uint64_t NextWakeUs() const = 0;
    virtual bool Finished() const = 0;
    // The loop could not carry out an action (socket error).
    virtual void Abort(const std::string& strReason) = 0;
    virtual const CUnitResult& Result() const = 0;
    virtual const std::string& Name() const = 0;
};

}  // namespace orxunit
