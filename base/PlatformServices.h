#pragma once
// The operating-system services the engine uses; main hands in the real ones, tests fakes.
class IClock;
class IMessagePoster;
class INetworkInfo;
class IProcessRunner;
class ISerialPortFactory;
class ISocketFactory;
class ITimerService;

struct CPlatformServices {
    IMessagePoster* pPoster = nullptr;
    ITimerService* pTimers = nullptr;
    ISocketFactory* pSockets = nullptr;  // null: no network stack
    IClock* pClock = nullptr;
    IProcessRunner* pProcess = nullptr;
    ISerialPortFactory* pSerialPorts = nullptr;
    INetworkInfo* pNetwork = nullptr;

    // Without it Ethernet boot is off and the unit's network menu is not driven.
    bool SocketsAvailable() const { return pSockets != nullptr; }
};
