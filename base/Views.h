#pragma once
// What the engine tells a face (the window, or the headless printer). Every call comes on
// the UI thread, in the order the engine posted it. A face never touches a socket, a port,
// a timer or a list: it shows these reports and calls the engine's operations.
#include <cstdint>
#include <string>
#include <vector>

// The main sheet, or what stands for it. Attached with CORXBootApp::AttachView; reports
// made while no view is attached are lost, and a detached view gets nothing more.
class IBootView {
public:
    virtual ~IBootView() = default;
    // nWParam 0 to BOOT_VISIBLE_SLOTS - 1: a slot's label (the empty text hides the slot);
    // BOOT_SLOT_LOG: a log line (the empty text clears the log); below that a status event
    // (BOOT_EVENT_...) with the empty text. A non-empty text ends in CR LF.
    virtual void OnBootText(int nWParam, const std::string& strText) = 0;
    // The slot's percent, or -1 when the slot holds no transfer.
    virtual void OnBootProgress(int nSlot, int nPercent) = 0;
    // The last transfer completed with TRANCLOSEDONE set: close as if the user had.
    virtual void OnCloseRequest() = 0;
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
