#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "platform/SerialPort.h"

// The device behind a port name: with a folder given (ORXBOOT_COMDIR), the entry of that
// name in it; otherwise COM1-32 are /dev/ttyS0-31, COM33-64 /dev/ttyUSB0-31 and
// COM65-96 /dev/ttyACM0-31. A name starting with "/" is a path already. Empty: no device.
std::string SerialDevicePath(const std::string& strPort, const char* pszComDir);

// Write time-out in ms for each byte at the rate; 0 means none.
uint32_t SerialWriteTimeoutPerByte(int32_t nBaud);

// Serial ports of this computer (termios), named as SerialDevicePath maps them with
// ORXBOOT_COMDIR from the environment.
class CSerialPortFactory : public ISerialPortFactory {
public:
    CSerialPortFactory() = default;
    std::unique_ptr<ISerialDevice> Open(const std::string& strPort, int32_t nBaud) override;
    bool Probe(const std::string& strPort) override;
};
