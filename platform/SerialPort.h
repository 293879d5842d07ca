#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// One open serial device: raw 8N1, no echo, no translation, no flow control.
// Failures leave the reason in the last error.
class ISerialDevice {
public:
    virtual ~ISerialDevice() = default;
    // Never blocks: the bytes that have already arrived, possibly 0; -1 on failure.
    virtual int Read(uint8_t* pBuf, size_t nCount) = 0;
    // Writes with the per-byte time-out set at open; the count written, -1 on failure.
    virtual int Write(const uint8_t* pBuf, size_t nCount) = 0;
    virtual void PurgeInput() = 0;
    // Waits up to dwMs for input or a wake-up; returns early on either.
    virtual void WaitReadable(uint32_t dwMs) = 0;
    // Ends a WaitReadable, or a Write that waits for room, at once (any thread).
    virtual void Wake() = 0;
    // Releases the device; Wake stays safe to call until the object is destroyed.
    virtual void Close() = 0;
};

class ISerialPortFactory {
public:
    virtual ~ISerialPortFactory() = default;
    // Opens the port named "COMn" (or a device path) exclusively at the given rate.
    virtual std::unique_ptr<ISerialDevice> Open(const std::string& strPort, int32_t nBaud) = 0;
    // Whether the port can be opened right now (probed and closed again).
    virtual bool Probe(const std::string& strPort) = 0;
};
