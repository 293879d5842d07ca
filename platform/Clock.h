#pragma once
#include <cstdint>

// The 32-bit wrapping millisecond tick and sleep, injectable for tests.
class IClock {
public:
    virtual ~IClock() = default;
    virtual uint32_t GetTickCount() = 0;
    virtual void Sleep(uint32_t dwMs) = 0;
};

class CSystemClock : public IClock {
public:
    uint32_t GetTickCount() override;
    void Sleep(uint32_t dwMs) override;
};
