#include "platform/WindowSystem.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QObject>
#include <QTimer>

#include "platform/UdpSocket.h"

// Qt hands a posted event to the UI thread under its own futex-based lock, which the
// thread sanitizer cannot see in an uninstrumented Qt: it is told of each hand-over.
#if defined(__SANITIZE_THREAD__)
#define ORX_ANNOTATE_HANDOVER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define ORX_ANNOTATE_HANDOVER 1
#endif
#endif

#ifdef ORX_ANNOTATE_HANDOVER
extern "C" void __tsan_acquire(void* pAddr);
extern "C" void __tsan_release(void* pAddr);
#endif

namespace {
const QEvent::Type kMessageEvent = static_cast<QEvent::Type>(QEvent::User + 1);

#ifdef ORX_ANNOTATE_HANDOVER
void HandOver(void* pEvent) {
    __tsan_release(pEvent);
}
void TakeOver(void* pEvent) {
    __tsan_acquire(pEvent);
}
#else
void HandOver(void*) {}
void TakeOver(void*) {}
#endif

class CMessageEvent : public QEvent {
public:
    explicit CMessageEvent(CMessage msg) : QEvent(kMessageEvent), m_msg(std::move(msg)) {}
    // Also reached without delivery, when the receiver is gone first.
    ~CMessageEvent() override { TakeOver(this); }
    CMessage m_msg;
};
}  // namespace

class CWindowObject : public QObject {
public:
    explicit CWindowObject(FWindowProc fnProc) : m_fnProc(std::move(fnProc)) {}
    bool event(QEvent* e) override {
        TakeOver(e);
        if (e->type() == kMessageEvent) {
            if (!m_bDead) m_fnProc(static_cast<CMessageEvent*>(e)->m_msg);
            return true;
        }
        return QObject::event(e);
    }
    void Deliver(CMessage& msg) {
        if (!m_bDead) m_fnProc(msg);
    }
    bool m_bDead = false;

private:
    FWindowProc m_fnProc;
};

CWindowSystem::CWindowSystem() = default;

CWindowSystem::~CWindowSystem() {
    m_timers.clear();
    m_windows.clear();
}

HWND CWindowSystem::CreateWindow(FWindowProc fnProc) {
    std::lock_guard<std::mutex> guard(m_lock);
    const HWND hWnd = m_hNext++;
    m_windows[hWnd] = std::make_unique<CWindowObject>(std::move(fnProc));
    return hWnd;
}

void CWindowSystem::DestroyWindow(HWND hWnd) {
    std::lock_guard<std::mutex> guard(m_lock);
    for (auto it = m_timers.begin(); it != m_timers.end();) {
        if (it->first.first != hWnd) {
            ++it;
            continue;
        }
        it->second->stop();
        it->second.release()->deleteLater();
        it = m_timers.erase(it);
    }
    auto it = m_windows.find(hWnd);
    if (it == m_windows.end()) return;
    // The window may be destroyed from its own handler: delete it later, deliver nothing more.
    // Its posted events, and their payloads, go with it.
    it->second->m_bDead = true;
    it->second.release()->deleteLater();
    m_windows.erase(it);
}

bool CWindowSystem::IsWindow(HWND hWnd) const {
    std::lock_guard<std::mutex> guard(m_lock);
    return hWnd != 0 && m_windows.count(hWnd) != 0;
}

bool CWindowSystem::PostMessage(HWND hWnd, CMessage msg) {
    std::lock_guard<std::mutex> guard(m_lock);
    auto it = m_windows.find(hWnd);
    if (it == m_windows.end()) return false;
    auto* pEvent = new CMessageEvent(std::move(msg));
    HandOver(pEvent);
    QCoreApplication::postEvent(it->second.get(), pEvent);
    return true;
}

void CWindowSystem::DispatchUntil(const std::function<bool()>& fnDone) {
    QEventLoop loop;
    while (!fnDone()) loop.processEvents(QEventLoop::WaitForMoreEvents);
}

bool CWindowSystem::SendMessage(HWND hWnd, CMessage msg) {
    CWindowObject* pWnd = nullptr;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        auto it = m_windows.find(hWnd);
        if (it == m_windows.end()) return false;
        pWnd = it->second.get();
    }
    pWnd->Deliver(msg);
    return true;
}

bool CWindowSystem::SetTimer(HWND hWnd, uint32_t nId, uint32_t nPeriodMs) {
    if (!IsWindow(hWnd)) return false;
    auto pTimer = std::make_unique<QTimer>();
    pTimer->setInterval(static_cast<int>(nPeriodMs));
    pTimer->setTimerType(Qt::PreciseTimer);
    QObject::connect(pTimer.get(), &QTimer::timeout, [this, hWnd, nId] {
        CMessage msg;
        msg.nMsg = WM_TIMER;
        msg.wParam = nId;
        SendMessage(hWnd, std::move(msg));
    });
    pTimer->start();
    std::lock_guard<std::mutex> guard(m_lock);
    m_timers[{hWnd, nId}] = std::move(pTimer);
    return true;
}

void CWindowSystem::KillTimer(HWND hWnd, uint32_t nId) {
    std::lock_guard<std::mutex> guard(m_lock);
    auto it = m_timers.find({hWnd, nId});
    if (it == m_timers.end()) return;
    // The timer may be the one whose expiry is being handled right now.
    it->second->stop();
    it->second.release()->deleteLater();
    m_timers.erase(it);
}

std::unique_ptr<IDatagramSocket> CWindowSystem::NewSocket() {
    return std::make_unique<CUdpSocket>([this](HWND hWnd, uint32_t nMsg, int64_t nId) {
        CMessage msg;
        msg.nMsg = nMsg;
        msg.wParam = nId;
        msg.lParam = 1;  // FD_READ
        SendMessage(hWnd, std::move(msg));
    });
}
