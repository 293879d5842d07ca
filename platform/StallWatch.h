#pragma once
#include <memory>

// Measures how long the UI thread's event loop goes without turning, for finding calls that
// freeze the window. Only when ORX_STALL_REPORT names a file: a timer ticks every 10 ms, and
// at the end one line is appended to that file with the longest gap between ticks (the first
// gap counts from construction, so start-up work before the loop runs is included) and the
// number of gaps over 50 ms. Without the variable it does nothing at all.
class CStallWatch {
public:
    CStallWatch();
    ~CStallWatch();
    CStallWatch(const CStallWatch&) = delete;
    CStallWatch& operator=(const CStallWatch&) = delete;

private:
    struct CState;
    std::unique_ptr<CState> m_pState;
};
