#pragma once
#include "app/ORXBootApp.h"
#include "platform/Clock.h"
#include "platform/NetworkInfo.h"
#include "platform/Process.h"
#include "platform/SerialDevice.h"
#include "platform/WindowSystem.h"

// The real operating-system services the engine runs on: for orxboot itself and for the
// programs and suites that run the window over the real engine.
struct CSystemServices {
    CWindowSystem windows;
    CSystemClock clock;
    CProcessRunner process;
    CNetworkInfo network;
    CSerialPortFactory serialPorts;

    CPlatformServices Services(IMessagePoster* pPoster = nullptr) {
        CPlatformServices s;
        s.pPoster = pPoster ? pPoster : &windows;
        s.pTimers = &windows;
        s.pSockets = &windows;
        s.pClock = &clock;
        s.pProcess = &process;
        s.pSerialPorts = &serialPorts;
        s.pNetwork = &network;
        return s;
    }
};
