#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

#include "base/FormatText.h"
#include "platform/Messages.h"

class CEventReporter;
class IClock;
class IMessagePoster;
class ITimerService;

// The timer that tells once a second what was left out.
constexpr uint32_t TIMER_LEFT_OUT = 107;

// Log lines that anyone on the network can make repeat at will.
enum class ELogKind { ReceiveError, RefusedDevice, Broadcast, ArpFailure };

// Keeps those lines from filling the log: of each kind, the first few in a second are
// logged as they come, the rest only counted, and one line a second says how many of each
// kind were left out. A run with fewer logs exactly what it would without this.
class CLogLimiter {
public:
    static constexpr uint32_t LINES_PER_SECOND = 10;

    CLogLimiter(CEventReporter& reporter, IClock& clock, IMessagePoster& poster,
                ITimerService& timers);
    ~CLogLimiter();
    CLogLimiter(const CLogLimiter&) = delete;
    CLogLimiter& operator=(const CLogLimiter&) = delete;

    // UI thread. True when the line was logged, false when it was only counted.
    bool Log(ELogKind eKind, const char* pszFormat, ...) ORX_PRINTF(3, 4);

private:
    struct CKind {
        uint32_t dwSince = 0;  // start of the second counted
        uint32_t nLogged = 0;
        uint32_t nLeftOut = 0;
    };
    static constexpr size_t KINDS = 4;
    // Tells how many lines of the kind were left out; false when none was.
    bool ReportLeftOut(size_t nKind);

    CEventReporter& m_reporter;
    IClock& m_clock;
    IMessagePoster& m_poster;
    ITimerService& m_timers;
    HWND m_hTarget = 0;
    bool m_bTimerSet = false;
    std::array<CKind, KINDS> m_arrKinds{};
};
