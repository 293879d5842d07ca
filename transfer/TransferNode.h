#pragma once
#include <cstdint>
#include <string>

#include "base/BootEvents.h"

// One transfer in progress, of a network unit or on a serial port. The transfer list owns
// it. What it was made with never changes and is read without a lock; what other threads
// read as it changes (the bytes sent) is reached only through the list, under its lock.
class CTransferNode {
public:
    CTransferNode(CUnitRef unit, uint32_t dwStartTick)
        : m_unit(std::move(unit)), m_dwStartTick(dwStartTick) {}
    virtual ~CTransferNode() = default;
    CTransferNode(const CTransferNode&) = delete;
    CTransferNode& operator=(const CTransferNode&) = delete;

    const CUnitRef& Unit() const { return m_unit; }
    const std::string& Name() const { return m_unit.strName; }
    bool IsSerial() const { return m_unit.bSerial; }
    // Since the transfer began, by the wrapping millisecond tick.
    uint32_t ElapsedMs(uint32_t dwNow) const { return dwNow - m_dwStartTick; }

private:
    friend class CTransferTable;

    const CUnitRef m_unit;
    const uint32_t m_dwStartTick;
    uint32_t m_nSent = 0;  // bytes of the image sent so far
    int32_t m_nLastPercent = -1;
};
