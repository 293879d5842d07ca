#pragma once
// What the engine tells a face (the window, or the headless printer). Every call comes on
// the UI thread, in the order the engine posted it. A face never touches a socket, a port,
// a timer or a list: it shows these reports and calls the engine's operations.
#include <cstdint>
#include <string>
#include <vector>

#include "base/BootEvents.h"

// The main sheet, or what stands for it. Attached with CORXBootApp::AttachView; reports
// made while no view is attached are lost, and a detached view gets nothing more.
class IBootView {
public:
    virtual ~IBootView() = default;
    // A log line, a slot's label or progress, a status event (always right after every
    // visible slot's label and progress), a record-only event (nothing to show: a view that
    // keeps no records ignores it), or the request to close.
    virtual void OnBootEvent(const CBootEvent& event) = 0;
};

// The first transfer of the list, as a face shows it (CORXBootApp::FirstTransfer).
struct CTransferView {
    std::string strName;  // the unit's name, or the port's for a serial transfer
    bool bNetwork = false;
};

// The serial terminal. Attached with CORXBootApp::AttachTerminal.
class ITerminalView {
public:
    virtual ~ITerminalView() = default;
    // Raw bytes from a port, or the echo of what the server typed.
    virtual void OnSerialText(const std::vector<uint8_t>& bytes) = 0;
};

// The start-up search for a free unit address, before the first sheet: it may take a
// minute. The face may show it and offer to cancel it; the engine runs a local event loop
// meanwhile. Started is called only when a search actually runs.
class IStartupSearchView {
public:
    virtual ~IStartupSearchView() = default;
    virtual void OnAddressSearchStarted() {}
    virtual void OnAddressTried(uint32_t /*dwAddr*/) {}
    virtual void OnAddressSearchEnded() {}
};
