#include "platform/Clock.h"

#include <chrono>
#include <thread>

uint32_t CSystemClock::GetTickCount() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void CSystemClock::Sleep(uint32_t dwMs) {
    std::this_thread::sleep_for(std::chrono::milliseconds(dwMs));
}
