#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/Views.h"
#include "image/TransferFile.h"
#include "net/NetBootServer.h"
#include "serial/SerialBootServer.h"
#include "transfer/TransferReporter.h"
#include "transfer/TransferTable.h"

class CEventReporter;
class IUserPrompts;
class CORXBootConfig;
struct CPlatformServices;

// Starting and stopping all servers as one: the boot image, the transfer list, the network
// server and the serial ports. UI thread, unless a method says otherwise.
class CServerManager {
public:
    // What the application does for the manager on its face.
    struct CHooks {
        std::function<void(bool bOn)> fnWaitCursor;
        // A stop closes the terminal first, so its port goes with the servers'.
        std::function<void()> fnCloseTerminal;
    };
    CServerManager(const CPlatformServices& sys, CORXBootConfig& config, CEventReporter& events,
                   IUserPrompts& prompts, CHooks hooks);
    ~CServerManager();
    CServerManager(const CServerManager&) = delete;
    CServerManager& operator=(const CServerManager&) = delete;

    // True when everything chosen has started; after false the caller calls StopServers.
    bool StartServers();
    // Closes everything and ends every transfer; safe in any state.
    void StopServers();
    // Any thread.
    bool ServersRunning() const { return m_bServersRunning.load(); }
    void SetMaxTransfers(size_t nMax) { m_net.SetMaxTransfers(nMax); }

    // Any thread.
    size_t TransferCount() { return m_transfers.Count(); }
    std::optional<CTransferView> FirstTransfer();
    uint32_t ImageSize() const { return m_image.Length(); }

    bool IsSerialDownloadActive() { return m_serial.IsSerialDownloadActive(); }
    std::optional<uint32_t> FirstSerialBytesSent() { return m_serial.FirstSerialBytesSent(); }
    bool OpenSerialPort() { return m_serial.OpenSerialPort(); }
    void CloseSerialPorts() { m_serial.CloseSerialPorts(); }
    std::vector<std::string> EnumerateSerialPorts() { return m_serial.EnumerateSerialPorts(); }
    bool IsFirstPortDown() { return m_serial.IsFirstPortDown(); }
    size_t SendTerminalBytes(const uint8_t* pBytes, size_t nCount) {
        return m_serial.SendTerminalBytes(pBytes, nCount);
    }

private:
    // The failure's box and the same text in the log. A follow-up repeats what the box
    // before it told.
    void ReportStartFailure(const std::string& strText, bool bFollowUp = false);
    void WaitCursor(bool bOn) {
        if (m_hooks.fnWaitCursor) m_hooks.fnWaitCursor(bOn);
    }

    const CPlatformServices& m_sys;
    CORXBootConfig& m_config;
    CEventReporter& m_events;
    IUserPrompts& m_prompts;
    CHooks m_hooks;
    // Declared in the order they must be built: the servers use everything above them.
    std::atomic<bool> m_bServersRunning{false};
    CTransferFile m_image;
    CTransferTable m_transfers;
    CTransferReporter m_reports;
    CNetBootServer m_net;
    CSerialBootServer m_serial;
};
