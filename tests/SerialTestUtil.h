#pragma once
// The serial boot server over fake ports, with the parts it reports through.
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "serial/SerialBootServer.h"
#include "tests/EngineRig.h"
#include "tests/FakeSerial.h"
#include "tests/ImageRecords.h"

struct CSerialTestApp : CEngineRig {
    // With bRealClock the server and the devices use real time (threaded tests).
    explicit CSerialTestApp(bool bRealClock = false) : serial(bRealClock ? nullptr : &sys.clock) {
        services.pSerialPorts = &serial;
        if (bRealClock) services.pClock = &realClock;
        serial.m_present = {"COM1", "COM2", "COM3"};
    }
    CSystemClock realClock;
    CFakeSerialFactory serial;
    CSerialBootServer server{services, config,  image,     transfers,
                             reporter, reports, sys.front, bServersRunning};

    std::string TerminalText() const {
        std::string str;
        for (const auto& m : sys.poster.Messages(WM_SERIAL_TEXT))
            str.append(m.bytes.begin(), m.bytes.end());
        return str;
    }
    std::vector<std::string> TerminalChunks() const {
        std::vector<std::string> out;
        for (const auto& m : sys.poster.Messages(WM_SERIAL_TEXT))
            out.emplace_back(m.bytes.begin(), m.bytes.end());
        return out;
    }
};
