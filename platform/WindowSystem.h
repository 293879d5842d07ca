#pragma once
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

#include "platform/Messages.h"
#include "platform/Socket.h"
#include "platform/Timers.h"

class CWindowObject;
class QTimer;

// Message targets on the Qt event loop of the thread that creates them (the UI thread).
// Posting is safe from any thread; delivery keeps each sender's order.
class CWindowSystem : public IMessagePoster, public ITimerService, public ISocketFactory {
public:
    CWindowSystem();
    ~CWindowSystem() override;

    HWND CreateWindow(FWindowProc fnProc) override;
    void DestroyWindow(HWND hWnd) override;
    bool IsWindow(HWND hWnd) const override;
    bool PostMessage(HWND hWnd, CMessage msg) override;
    void DispatchUntil(const std::function<bool()>& fnDone) override;
    // Delivers at once on the calling (UI) thread.
    bool SendMessage(HWND hWnd, CMessage msg);

    bool SetTimer(HWND hWnd, uint32_t nId, uint32_t nPeriodMs) override;
    void KillTimer(HWND hWnd, uint32_t nId) override;

    std::unique_ptr<IDatagramSocket> NewSocket() override;

private:
    mutable std::mutex m_lock;
    std::map<HWND, std::unique_ptr<CWindowObject>> m_windows;
    std::map<std::pair<HWND, uint32_t>, std::unique_ptr<QTimer>> m_timers;
    HWND m_hNext = 1;
};
