#include <algorithm>

#include "app/ORXBootApp.h"
#include "net/TransferNode.h"
#include "platform/LastError.h"
#include "platform/MessageBox.h"
#include "platform/SerialPort.h"
#include "platform/Timers.h"
#include "serial/TransferSerial.h"

void CORXBootApp::ReportStartFailure(const std::string& strText) {
    m_sys.pMessageBox->Show(strText, MB_OK | MB_ICONSTOP);
    PostBootText(BOOT_SLOT_LOG, strText);
    if (m_pFront) m_pFront->SetWaitCursor(false);
}

bool CORXBootApp::StartServers() {
    if (m_pFront) m_pFront->SetWaitCursor(true);
    if (m_config.m_strBootFile.empty()) {
        ReportStartFailure("No boot file has been selected.");
        return false;
    }
    PostBootText(BOOT_SLOT_LOG, "");
    LogMessage("Reading boot file '%s'.", m_config.m_strBootFile.c_str());
    if (!m_file.Load(m_config.m_strBootFile, &m_config.m_arrBootFiles)) {
        const std::string strError = FormatErrorText(GetLastError());
        ReportStartFailure("Boot File '" + m_config.m_strBootFile + "' Failed Load: " + strError);
        return false;
    }
    if (m_config.m_nBootSerial == 0 && m_config.m_nBootNet == 0) {
        if (m_pFront) m_pFront->SetWaitCursor(false);
        return false;
    }
    m_bCompetingAsked = false;
    const HWND hWnd = m_hEngineWnd;
    if (m_config.m_nBootNet != 0) {
        if (!m_bSocketsAvailable) {
            ReportStartFailure("TCP/IP failed to load");
            return false;
        }
        if (m_config.m_nNetType == 0 && !CreateBroadcastSocket()) {
            ReportStartFailure("Broadcast Socket error: " + FormatErrorText(GetLastError()));
            return false;
        }
        m_pServerSocket = m_sys.pSockets->NewSocket();
        if (!m_pServerSocket->Create(BOOT_SERVER_PORT)) {
            ReportStartFailure("Server Socket Create error: " + FormatErrorText(GetLastError()));
            return false;
        }
        if (!m_pServerSocket->AsyncSelect(hWnd, WM_BOOT_SOCKET, SOCKET_ID_SERVER)) {
            ReportStartFailure("Server Select Socket error: " + FormatErrorText(GetLastError()));
            return false;
        }
        m_sys.pTimers->SetTimer(hWnd, TIMER_RETRANSMIT, 1000);
        LogMessage("Server waiting for boot request...");
    }
    m_bServersRunning = true;
    if (m_config.m_nBootSerial != 0) {
        if (m_config.m_nComOpenAllPorts != 0) {
            if (!OpenAllSerialPorts()) {
                m_bServersRunning = false;
                ReportStartFailure(
                    "No serial ports available. Close other applications that may be using "
                    "serial ports.");
                return false;
            }
        } else {
            if (!OpenSerialPort()) {
                m_bServersRunning = false;
                ReportStartFailure("Serial port '" + m_config.m_strComPort +
                                   "' failed code: " + FormatErrorText(GetLastError()));
                return false;
            }
            LogMessage("Serial port '%s' ready...", m_config.m_strComPort.c_str());
        }
    }
    PostStatusEvent(BOOT_EVENT_SERVERS_STARTED);
    if (m_pFront) m_pFront->SetWaitCursor(false);
    return true;
}

void CORXBootApp::StopServers() {
    const bool bWasRunning = m_bServersRunning.exchange(false);
    CloseTerminal();
    const HWND hWnd = m_hEngineWnd;
    if (m_pBroadcastSocket && m_pBroadcastSocket->IsOpen()) {
        m_pBroadcastSocket->Close();
        m_sys.pTimers->KillTimer(hWnd, TIMER_BROADCAST);
    }
    if (m_pServerSocket && m_pServerSocket->IsOpen()) {
        m_pServerSocket->Close();
        m_sys.pTimers->KillTimer(hWnd, TIMER_RETRANSMIT);
    }
    CloseSerialPorts();
    m_file.Unload();
    for (;;) {
        std::unique_ptr<CTransferNode> pTransfer;
        {
            std::lock_guard<std::mutex> guard(m_lockTransfers);
            if (m_arrTransfers.empty()) break;
            pTransfer = std::move(m_arrTransfers.front());
            m_arrTransfers.erase(m_arrTransfers.begin());
        }
        DestroyTransfer(std::move(pTransfer));
    }
    if (bWasRunning) {
        LogMessage("All servers halted");
        PostStatusEvent(BOOT_EVENT_SERVERS_HALTED);
    }
}

bool CORXBootApp::OpenSerialPort() {
    {
        std::lock_guard<std::mutex> guard(m_lockSerial);
        if (!m_arrSerialPorts.empty()) return true;
    }
    auto pPort =
        std::make_unique<CTransferSerial>(*this, m_config.m_strComPort, m_config.m_nComBaud);
    if (!pPort->Usable()) {
        const uint32_t dwError = GetLastError();
        m_bServersRunning = false;
        pPort.reset();
        SetLastError(dwError);
        m_sys.pMessageBox->Show("Serial port '" + m_config.m_strComPort + "' failed to open (" +
                                    FormatErrorText(dwError) + "). Please select another port.",
                                MB_OK | MB_ICONSTOP);
        SetLastError(dwError);
        return false;
    }
    std::lock_guard<std::mutex> guard(m_lockSerial);
    m_arrSerialPorts.push_back(std::move(pPort));
    return true;
}

bool CORXBootApp::OpenAllSerialPorts() {
    for (const auto& strName : EnumerateSerialPorts()) {
        auto pPort = std::make_unique<CTransferSerial>(*this, strName, m_config.m_nComBaud);
        if (!pPort->Usable()) continue;
        {
            std::lock_guard<std::mutex> guard(m_lockSerial);
            m_arrSerialPorts.push_back(std::move(pPort));
        }
        LogMessage("Serial port '%s' ready...", strName.c_str());
    }
    std::lock_guard<std::mutex> guard(m_lockSerial);
    if (!m_arrSerialPorts.empty()) return true;
    m_bServersRunning = false;
    return false;
}

void CORXBootApp::CloseSerialPorts() {
    {
        std::lock_guard<std::mutex> guard(m_lockSerial);
        for (auto& pPort : m_arrSerialPorts) pPort->RequestStop();
    }
    for (;;) {
        std::unique_ptr<CTransferSerial> pPort;
        {
            std::lock_guard<std::mutex> guard(m_lockSerial);
            if (m_arrSerialPorts.empty()) break;
            pPort = std::move(m_arrSerialPorts.front());
            m_arrSerialPorts.erase(m_arrSerialPorts.begin());
        }
        pPort.reset();
    }
}

bool CORXBootApp::IsSerialDownloadActive() {
    std::lock_guard<std::mutex> guard(m_lockSerial);
    return !m_arrSerialPorts.empty() &&
           m_arrSerialPorts.front()->m_nState.load() == SERIAL_STATE_DOWNLOADING;
}

std::vector<std::string> CORXBootApp::EnumerateSerialPorts() {
    std::vector<std::string> arrNames;
    if (m_sys.pSerialPorts) ::EnumerateSerialPorts(*m_sys.pSerialPorts, arrNames);
    return arrNames;
}

void CORXBootApp::OpenTerminal() {
    if (m_pFront) m_pFront->OpenTerminal();
}

size_t CORXBootApp::SendTerminalBytes(const uint8_t* pBytes, size_t nCount) {
    std::lock_guard<std::mutex> guard(m_lockSerial);
    if (m_arrSerialPorts.empty()) return 0;
    CTransferSerial& port = *m_arrSerialPorts.front();
    if (port.m_nState.load() == SERIAL_STATE_DOWNLOADING) return 0;
    int nQueued = 0;
    port.QueueSend(pBytes, static_cast<int>(std::min<size_t>(nCount, SERIAL_RING_SIZE)), &nQueued);
    return static_cast<size_t>(nQueued);
}

int CORXBootApp::FindTransferSlot(const CTransferNode* pTransfer) {
    std::lock_guard<std::mutex> guard(m_lockTransfers);
    for (size_t i = 0; i < m_arrTransfers.size(); ++i) {
        if (m_arrTransfers[i].get() == pTransfer) return static_cast<int>(i);
    }
    return -1;
}

CTransferSerial* CORXBootApp::FindSerialByTransfer(const CTransferNode* pTransfer) {
    std::lock_guard<std::mutex> guard(m_lockSerial);
    for (auto& pPort : m_arrSerialPorts) {
        if (pPort->m_pTransfer.load() == pTransfer) return pPort.get();
    }
    return nullptr;
}

int CORXBootApp::AddTransfer(std::unique_ptr<CTransferNode> pTransfer) {
    std::lock_guard<std::mutex> guard(m_lockTransfers);
    m_arrTransfers.push_back(std::move(pTransfer));
    return static_cast<int>(m_arrTransfers.size()) - 1;
}

std::unique_ptr<CTransferNode> CORXBootApp::RemoveTransfer(const CTransferNode* pTransfer) {
    std::lock_guard<std::mutex> guard(m_lockTransfers);
    auto it = std::find_if(m_arrTransfers.begin(), m_arrTransfers.end(),
                           [pTransfer](const auto& p) { return p.get() == pTransfer; });
    if (it == m_arrTransfers.end()) return nullptr;
    std::unique_ptr<CTransferNode> pOut = std::move(*it);
    m_arrTransfers.erase(it);
    return pOut;
}

void CORXBootApp::DestroyTransfer(std::unique_ptr<CTransferNode> pTransfer) {
    if (!pTransfer) return;
    if (!pTransfer->IsSerial()) {
        ClearArpEntry(pTransfer->m_addrPeer.dwAddr);
    } else if (CTransferSerial* pPort = FindSerialByTransfer(pTransfer.get())) {
        pPort->m_pTransfer = nullptr;
    }
    pTransfer.reset();
}

size_t CORXBootApp::TransferCount() {
    std::lock_guard<std::mutex> guard(m_lockTransfers);
    return m_arrTransfers.size();
}

std::optional<CTransferView> CORXBootApp::FirstTransfer() {
    std::lock_guard<std::mutex> guard(m_lockTransfers);
    if (m_arrTransfers.empty()) return std::nullopt;
    const CTransferNode& node = *m_arrTransfers.front();
    return CTransferView{node.m_strName, !node.IsSerial()};
}

std::optional<uint32_t> CORXBootApp::FirstSerialBytesSent() {
    const CTransferNode* pTransfer = nullptr;
    {
        std::lock_guard<std::mutex> guard(m_lockSerial);
        if (m_arrSerialPorts.empty()) return std::nullopt;
        pTransfer = m_arrSerialPorts.front()->m_pTransfer.load();
    }
    if (!pTransfer) return std::nullopt;
    // The port's thread may have ended that transfer meanwhile: only one still in the
    // list is alive, and its counter changes under this lock.
    std::lock_guard<std::mutex> guard(m_lockTransfers);
    for (const auto& pNode : m_arrTransfers) {
        if (pNode.get() == pTransfer) return pNode->m_nSent;
    }
    return std::nullopt;
}
