// Starting and stopping all servers as one.
#include "app/ORXBootApp.h"
#include "net/TransferNode.h"
#include "platform/LastError.h"
#include "platform/MessageBox.h"

void CORXBootApp::ReportStartFailure(const std::string& strText) {
    m_sys.pMessageBox->Show(strText, MB_OK | MB_ICONSTOP);
    m_reporter.PostBootText(BOOT_SLOT_LOG, strText);
    if (m_pFront) m_pFront->SetWaitCursor(false);
}

bool CORXBootApp::StartServers() {
    if (m_pFront) m_pFront->SetWaitCursor(true);
    if (m_config.m_strBootFile.empty()) {
        ReportStartFailure("No boot file has been selected.");
        return false;
    }
    m_reporter.PostBootText(BOOT_SLOT_LOG, "");
    m_reporter.LogMessage("Reading boot file '%s'.", m_config.m_strBootFile.c_str());
    if (!m_image.Load(m_config.m_strBootFile, &m_config.m_arrBootFiles)) {
        const std::string strError = FormatErrorText(GetLastError());
        ReportStartFailure("Boot File '" + m_config.m_strBootFile + "' Failed Load: " + strError);
        return false;
    }
    if (m_config.m_nBootSerial == 0 && m_config.m_nBootNet == 0) {
        if (m_pFront) m_pFront->SetWaitCursor(false);
        return false;
    }
    if (m_config.m_nBootNet != 0) {
        if (!SocketsAvailable()) {
            ReportStartFailure("TCP/IP failed to load");
            return false;
        }
        std::string strFailure;
        if (!m_net.Start(strFailure)) {
            ReportStartFailure(strFailure);
            return false;
        }
    }
    m_bServersRunning = true;
    if (m_config.m_nBootSerial != 0) {
        if (m_config.m_nComOpenAllPorts != 0) {
            if (!m_serial.OpenAllSerialPorts()) {
                m_bServersRunning = false;
                ReportStartFailure(
                    "No serial ports available. Close other applications that may be using "
                    "serial ports.");
                return false;
            }
        } else {
            if (!m_serial.OpenSerialPort()) {
                m_bServersRunning = false;
                ReportStartFailure("Serial port '" + m_config.m_strComPort +
                                   "' failed code: " + FormatErrorText(GetLastError()));
                return false;
            }
            m_reporter.LogMessage("Serial port '%s' ready...", m_config.m_strComPort.c_str());
        }
    }
    m_reporter.PostStatusEvent(BOOT_EVENT_SERVERS_STARTED);
    if (m_pFront) m_pFront->SetWaitCursor(false);
    return true;
}

void CORXBootApp::StopServers() {
    const bool bWasRunning = m_bServersRunning.exchange(false);
    CloseTerminal();
    m_net.Stop();
    // Waits for the port threads, which may still add or remove their transfers; with the
    // ports gone, what is left of a serial transfer is only its entry.
    m_serial.CloseSerialPorts();
    m_image.Unload();
    while (std::unique_ptr<CTransferNode> pTransfer = m_transfers.TakeFirst()) {
        if (!pTransfer->IsSerial()) m_net.DestroyTransfer(std::move(pTransfer));
    }
    m_net.FinishArpClearing();
    if (bWasRunning) {
        m_reporter.LogMessage("All servers halted");
        m_reporter.PostStatusEvent(BOOT_EVENT_SERVERS_HALTED);
    }
}

std::optional<CTransferView> CORXBootApp::FirstTransfer() {
    return m_transfers.Locked([](const CTransferTable::CList& arr) -> std::optional<CTransferView> {
        if (arr.empty()) return std::nullopt;
        return CTransferView{arr.front()->m_strName, !arr.front()->IsSerial()};
    });
}
