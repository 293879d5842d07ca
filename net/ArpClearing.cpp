#include "net/ArpClearing.h"

#include <cerrno>

#include "base/FormatText.h"
#include "net/LogLimit.h"
#include "platform/Clock.h"
#include "platform/LastError.h"
#include "platform/Process.h"
#include "platform/Socket.h"

namespace {
// Posted to itself: the next turn of the event loop has come.
constexpr uint32_t kMsgNextTurn = WM_USER + 1;
}  // namespace

CArpClearing::CArpClearing(IProcessRunner& process, IMessagePoster& poster, IClock& clock,
                           CLogLimiter& log)
    : m_process(process), m_poster(poster), m_clock(clock), m_log(log) {
    m_hTarget = m_poster.CreateWindow([this](CMessage& msg) {
        if (msg.nMsg != kMsgNextTurn) return;
        m_bStartedThisTurn = false;
        Pump();
    });
}

CArpClearing::~CArpClearing() {
    *m_pAlive = false;
    m_poster.DestroyWindow(m_hTarget);
}

void CArpClearing::Clear(uint32_t dwAddr) {
    if (m_setWaiting.count(dwAddr) != 0) return;
    if (m_arrWaiting.size() >= MAX_WAITING) {
        m_log.Log(ELogKind::ArpFailure, "Server Net ARP Call Failed: %s",
                  FormatErrorText(EAGAIN).c_str());
        return;
    }
    m_arrWaiting.push_back(dwAddr);
    m_setWaiting.insert(dwAddr);
    Pump();
}

void CArpClearing::Pump() {
    if (m_bFinishing || m_bStartedThisTurn || m_nRunning >= MAX_RUNNING || m_arrWaiting.empty())
        return;
    StartNext();
    m_bStartedThisTurn = m_poster.PostMessage(m_hTarget, {kMsgNextTurn, 0, 0, {}, {}});
}

void CArpClearing::StartNext() {
    const uint32_t dwAddr = m_arrWaiting.front();
    m_arrWaiting.pop_front();
    m_setWaiting.erase(dwAddr);
    const bool bStarted =
        m_process.Start({"arp", "-d", DottedAddress(dwAddr)}, ARP_WAIT_MS,
                        [this, pAlive = m_pAlive](ERunResult eResult) {
                            if (!*pAlive) return;
                            if (eResult == ERunResult::TimedOut) {
                                m_log.Log(ELogKind::ArpFailure, "Server Net ARP Wait Failed.");
                                return;
                            }
                            --m_nRunning;
                            Pump();
                        });
    if (bStarted) {
        ++m_nRunning;
    } else {
        m_log.Log(ELogKind::ArpFailure, "Server Net ARP Call Failed: %s",
                  FormatErrorText(GetLastError()).c_str());
    }
}

void CArpClearing::Finish() {
    const uint32_t dwStart = m_clock.GetTickCount();
    m_bFinishing = true;  // no turns go by meanwhile: the loop below starts them
    do {
        while (m_nRunning < MAX_RUNNING && !m_arrWaiting.empty() &&
               m_clock.GetTickCount() - dwStart < FINISH_MS)
            StartNext();
    } while (m_process.WaitForNextEnd());
    m_bFinishing = false;
    m_arrWaiting.clear();
    m_setWaiting.clear();
}
