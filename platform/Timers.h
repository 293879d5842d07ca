#pragma once
#include <cstdint>

#include "platform/Messages.h"

// Periodic timers on a window; each expiry delivers WM_TIMER with wParam = id.
class ITimerService {
public:
    virtual ~ITimerService() = default;
    virtual bool SetTimer(HWND hWnd, uint32_t nId, uint32_t nPeriodMs) = 0;
    virtual void KillTimer(HWND hWnd, uint32_t nId) = 0;
};
