// The serial port list: opening, closing and the terminal's access to the first port.
#include <algorithm>
#include <cstdarg>

#include "base/Config.h"
#include "base/EventReporter.h"
#include "base/PlatformServices.h"
#include "base/Prompts.h"
#include "platform/LastError.h"
#include "platform/MessageBox.h"
#include "platform/SerialPort.h"
#include "serial/SerialBootServer.h"
#include "transfer/TransferTable.h"

CSerialBootServer::CSerialBootServer(const CPlatformServices& sys, const CORXBootConfig& config,
                                     CTransferFile& image, CTransferTable& transfers,
                                     CEventReporter& reporter, CTransferReporter& reports,
                                     IUserPrompts& prompts, std::atomic<bool>& bServersRunning)
    : m_sys(sys),
      m_config(config),
      m_image(image),
      m_transfers(transfers),
      m_reporter(reporter),
      m_reports(reports),
      m_prompts(prompts),
      m_bServersRunning(bServersRunning) {}

CSerialBootServer::~CSerialBootServer() {
    CloseSerialPorts();
}

IClock& CSerialBootServer::Clock() {
    return *m_sys.pClock;
}

ISerialPortFactory* CSerialBootServer::SerialPorts() {
    return m_sys.pSerialPorts;
}

void CSerialBootServer::PostSerialText(const uint8_t* pBytes, size_t nCount) {
    m_reporter.PostSerialText(pBytes, nCount);
}

void CSerialBootServer::PostSerialFormat(const char* pszFormat, ...) {
    if (!m_bServersRunning.load()) return;
    va_list args;
    va_start(args, pszFormat);
    m_reporter.PostSerialFormatV(pszFormat, args);
    va_end(args);
}

bool CSerialBootServer::OpenSerialPort() {
    {
        std::lock_guard<std::mutex> guard(m_lockSerial);
        if (!m_arrSerialPorts.empty()) return true;
    }
    auto pPort =
        std::make_unique<CTransferSerial>(*this, m_config.m_strComPort, m_config.m_nComBaud);
    if (!pPort->Usable()) {
        // Not the servers' flag: the terminal opens its port while Ethernet may be serving;
        // a failed start clears it in StartServers.
        const uint32_t dwError = GetLastError();
        pPort.reset();
        m_prompts.Tell({EPrompt::PortOpenFailed,
                        "Serial port '" + m_config.m_strComPort + "' failed to open (" +
                            FormatErrorText(dwError) + "). Please select another port.",
                        MB_OK | MB_ICONSTOP});
        SetLastError(dwError);
        return false;
    }
    std::lock_guard<std::mutex> guard(m_lockSerial);
    m_arrSerialPorts.push_back(std::move(pPort));
    return true;
}

bool CSerialBootServer::OpenAllSerialPorts() {
    for (const auto& strName : EnumerateSerialPorts()) {
        auto pPort = std::make_unique<CTransferSerial>(*this, strName, m_config.m_nComBaud);
        if (!pPort->Usable()) continue;
        {
            std::lock_guard<std::mutex> guard(m_lockSerial);
            m_arrSerialPorts.push_back(std::move(pPort));
        }
        m_reporter.LogMessage("Serial port '%s' ready...", strName.c_str());
    }
    std::lock_guard<std::mutex> guard(m_lockSerial);
    return !m_arrSerialPorts.empty();
}

void CSerialBootServer::CloseSerialPorts() {
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
        pPort.reset();  // waits for its thread, outside the lock
    }
}

bool CSerialBootServer::IsSerialDownloadActive() {
    std::lock_guard<std::mutex> guard(m_lockSerial);
    return !m_arrSerialPorts.empty() &&
           m_arrSerialPorts.front()->State() == SERIAL_STATE_DOWNLOADING;
}

std::vector<std::string> CSerialBootServer::OpenPorts() {
    std::lock_guard<std::mutex> guard(m_lockSerial);
    std::vector<std::string> arrNames;
    for (const auto& pPort : m_arrSerialPorts) arrNames.push_back(pPort->Port());
    return arrNames;
}

std::vector<std::string> CSerialBootServer::EnumerateSerialPorts() {
    std::vector<std::string> arrNames;
    if (m_sys.pSerialPorts) ::EnumerateSerialPorts(*m_sys.pSerialPorts, arrNames);
    return arrNames;
}

bool CSerialBootServer::IsFirstPortDown() {
    std::lock_guard<std::mutex> guard(m_lockSerial);
    return !m_arrSerialPorts.empty() && !m_arrSerialPorts.front()->IsOpen();
}

size_t CSerialBootServer::SendTerminalBytes(const uint8_t* pBytes, size_t nCount) {
    std::lock_guard<std::mutex> guard(m_lockSerial);
    if (m_arrSerialPorts.empty()) return 0;
    CTransferSerial& port = *m_arrSerialPorts.front();
    if (port.State() == SERIAL_STATE_DOWNLOADING) return 0;
    int nQueued = 0;
    port.QueueSend(pBytes, static_cast<int>(std::min<size_t>(nCount, SERIAL_RING_SIZE)), &nQueued);
    return static_cast<size_t>(nQueued);
}

std::optional<uint32_t> CSerialBootServer::FirstSerialBytesSent() {
    const CTransferNode* pTransfer = nullptr;
    {
        std::lock_guard<std::mutex> guard(m_lockSerial);
        if (m_arrSerialPorts.empty()) return std::nullopt;
        pTransfer = m_arrSerialPorts.front()->CurrentTransfer();
    }
    if (!pTransfer) return std::nullopt;
    // The port's thread may have ended that transfer meanwhile: the list knows.
    return m_transfers.Sent(pTransfer);
}
