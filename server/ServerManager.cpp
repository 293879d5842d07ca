#include "server/ServerManager.h"

#include "base/Config.h"
#include "base/EventReporter.h"
#include "base/PlatformServices.h"
#include "base/Prompts.h"
#include "platform/Clock.h"
#include "platform/LastError.h"
#include "platform/MessageBox.h"
#include "transfer/TransferNode.h"

CServerManager::CServerManager(const CPlatformServices& sys, CORXBootConfig& config,
                               CEventReporter& events, IUserPrompts& prompts, CHooks hooks)
    : m_sys(sys),
      m_config(config),
      m_events(events),
      m_prompts(prompts),
      m_hooks(std::move(hooks)),
      m_reports(events, m_transfers, m_image, config),
      m_net(sys, config, m_image, m_transfers, events, m_reports, prompts,
            [this] { StopServers(); }),
      m_serial(sys, config, m_image, m_transfers, events, m_reports, prompts, m_bServersRunning) {}

CServerManager::~CServerManager() = default;

void CServerManager::ReportStartFailure(const std::string& strText, bool bFollowUp) {
    m_prompts.Tell({EPrompt::StartFailed, strText, MB_OK | MB_ICONSTOP, bFollowUp});
    m_events.Post(CLogLine{strText});
    WaitCursor(false);
}

bool CServerManager::StartServers() {
    WaitCursor(true);
    if (m_config.m_strBootFile.empty()) {
        ReportStartFailure("No boot file has been selected.");
        return false;
    }
    m_events.ClearLog();
    m_events.LogMessage("Reading boot file '%s'.", m_config.m_strBootFile.c_str());
    if (!m_image.Load(m_config.m_strBootFile, &m_config.m_arrBootFiles)) {
        const std::string strError = FormatErrorText(GetLastError(), m_image.RefusedBecause());
        ReportStartFailure("Boot File '" + m_config.m_strBootFile + "' Failed Load: " + strError);
        return false;
    }
    if (m_config.m_nBootSerial == 0 && m_config.m_nBootNet == 0) {
        WaitCursor(false);
        return false;
    }
    if (m_config.m_nBootNet != 0) {
        if (!m_sys.SocketsAvailable()) {
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
                // The port's own box has told why; the log keeps this line.
                ReportStartFailure("Serial port '" + m_config.m_strComPort +
                                       "' failed code: " + FormatErrorText(GetLastError()),
                                   true);
                return false;
            }
            m_events.LogMessage("Serial port '%s' ready...", m_config.m_strComPort.c_str());
        }
    }
    m_reports.PostStatus(CServersStarted{m_config.m_nBootNet != 0, m_config.m_nBootSerial != 0,
                                         m_serial.OpenPorts(), m_config.m_strBootFile,
                                         m_image.Length(), m_image.Sha256()});
    WaitCursor(false);
    return true;
}

void CServerManager::StopServers() {
    const bool bWasRunning = m_bServersRunning.exchange(false);
    if (m_hooks.fnCloseTerminal) m_hooks.fnCloseTerminal();
    m_net.Stop();
    // Waits for the port threads, which may still add or remove their transfers; with the
    // ports gone, what is left of a serial transfer is only its entry.
    m_serial.CloseSerialPorts();
    m_image.Unload();
    while (CTakenTransfer taken = m_transfers.TakeFirst()) {
        CTransferHalted halted{taken.pNode->Unit(), taken.nSent,
                               taken.pNode->ElapsedMs(m_sys.pClock->GetTickCount())};
        if (!taken.pNode->IsSerial()) m_net.DestroyTransfer(std::move(taken.pNode));
        m_events.Post(std::move(halted));
    }
    m_net.FinishArpClearing();
    if (bWasRunning) {
        m_events.LogMessage("All servers halted");
        m_reports.PostStatus(CServersHalted{});
    }
}

std::optional<CTransferView> CServerManager::FirstTransfer() {
    const std::optional<CTransferRow> first = m_transfers.First();
    if (!first) return std::nullopt;
    return CTransferView{first->unit.strName, !first->unit.bSerial};
}
