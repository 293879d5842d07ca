#include "net/LogLimit.h"

#include "base/EventReporter.h"
#include "platform/Clock.h"
#include "platform/Timers.h"

namespace {
constexpr uint32_t kSecondMs = 1000;
constexpr const char* kKindNames[] = {"receive errors", "refused devices", "broadcasts",
                                      "ARP clearing"};
}  // namespace

CLogLimiter::CLogLimiter(CEventReporter& reporter, IClock& clock, IMessagePoster& poster,
                         ITimerService& timers)
    : m_reporter(reporter), m_clock(clock), m_poster(poster), m_timers(timers) {
    m_hTarget = m_poster.CreateWindow([this](CMessage& msg) {
        if (msg.nMsg != WM_TIMER) return;
        bool bAny = false;
        for (size_t i = 0; i < KINDS; ++i) bAny |= ReportLeftOut(i);
        if (bAny) return;
        m_timers.KillTimer(m_hTarget, TIMER_LEFT_OUT);
        m_bTimerSet = false;
    });
}

CLogLimiter::~CLogLimiter() {
    m_poster.DestroyWindow(m_hTarget);
}

bool CLogLimiter::Log(ELogKind eKind, const char* pszFormat, ...) {
    CKind& k = m_arrKinds[static_cast<size_t>(eKind)];
    const uint32_t dwNow = m_clock.GetTickCount();
    if (dwNow - k.dwSince >= kSecondMs) {
        ReportLeftOut(static_cast<size_t>(eKind));  // before the lines of the new second
        k.dwSince = dwNow;
        k.nLogged = 0;
    }
    if (k.nLogged >= LINES_PER_SECOND) {
        ++k.nLeftOut;
        if (!m_bTimerSet) m_bTimerSet = m_timers.SetTimer(m_hTarget, TIMER_LEFT_OUT, kSecondMs);
        return false;
    }
    ++k.nLogged;
    va_list args;
    va_start(args, pszFormat);
    const std::string strLine = FormatV(pszFormat, args);
    va_end(args);
    m_reporter.Post(CLogLine{strLine});
    return true;
}

bool CLogLimiter::ReportLeftOut(size_t nKind) {
    CKind& k = m_arrKinds[nKind];
    if (k.nLeftOut == 0) return false;
    m_reporter.LogMessage("%u more lines about %s were left out.", k.nLeftOut, kKindNames[nKind]);
    k.nLeftOut = 0;
    return true;
}
