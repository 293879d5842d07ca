#pragma once
#include <cstdint>
#include <functional>

// What a face holds while the engine looks for a unit address that no machine answers at.
// Each echo request waits up to a second, so the search runs off the UI thread and reports
// the address being tried; destroying the handle cancels it and waits for the request under way.
class IAddressSearch {
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

    virtual ~IAddressSearch() = default;
    // Any thread: no further echo request is sent; the result says Cancelled.
    virtual void Cancel() = 0;
};
