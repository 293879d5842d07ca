#include <strings.h>

#include "base/EventReporter.h"
#include "base/PlatformServices.h"
#include "base/Prompts.h"
#include "net/NetBootServer.h"
#include "net/WireFormat.h"
#include "platform/LastError.h"
#include "platform/MessageBox.h"
#include "platform/NetworkInfo.h"
#include "platform/Timers.h"

namespace {
constexpr uint32_t kBroadcastPeriodMs = 30000;

// Read afresh each time: the name may change while the servers run.
std::string OwnHostName(INetworkInfo* pNetwork) {
    std::string strName;
    if (pNetwork == nullptr || !pNetwork->GetHostName(strName)) strName.clear();
    return strName;
}
}  // namespace

bool CNetBootServer::CreateBroadcastSocket() {
    const HWND hWnd = m_hTarget;
    m_pBroadcastSocket = m_sys.pSockets->NewSocket();
    if (!m_pBroadcastSocket->Create(NEWBOOT_PORT)) return false;
    if (!m_pBroadcastSocket->SetBroadcast(true)) return false;
    if (!m_pBroadcastSocket->AsyncSelect(hWnd, WM_BOOT_SOCKET, SOCKET_ID_BROADCAST)) return false;
    m_sys.pTimers->SetTimer(hWnd, TIMER_BROADCAST, kBroadcastPeriodMs);
    return true;
}

void CNetBootServer::SendNewbootBroadcast() {
    if (!m_pBroadcastSocket || !m_pBroadcastSocket->IsOpen()) return;
    const std::vector<uint8_t> packet = BuildNewbootBroadcast(OwnHostName(m_sys.pNetwork));
    const CSockAddr to{INADDR_ALL_ONES, NEWBOOT_PORT};
    if (m_pBroadcastSocket->SendTo(packet.data(), packet.size(), to) < 0)
        m_reporter.LogMessage("Broadcast tx error: %s.", FormatErrorText(GetLastError()).c_str());
}

void CNetBootServer::OnBroadcastReceive() {
    if (!m_pBroadcastSocket || !m_pBroadcastSocket->IsOpen()) return;
    uint8_t buf[BROADCAST_RECEIVE_BUFFER];
    CSockAddr from;
    const int nLen = m_pBroadcastSocket->ReceiveFrom(buf, sizeof buf, from);
    if (nLen < 0) {
        m_log.Log(ELogKind::ReceiveError, "Broadcast rx error: %s.",
                  FormatErrorText(GetLastError()).c_str());
        return;
    }
    const std::string strAddr = DottedAddress(from.dwAddr);
    std::string strSender;
    if (!DecodeNewbootBroadcast(buf, static_cast<size_t>(nLen), strSender)) {
        m_log.Log(ELogKind::Broadcast, "Broadcast rx junk from %s.", strAddr.c_str());
        return;
    }
    // Every server hears its own broadcast.
    if (strcasecmp(strSender.c_str(), OwnHostName(m_sys.pNetwork).c_str()) == 0) return;
    if (m_log.Log(ELogKind::Broadcast, "Another boot server '%s' is running on '%s'",
                  strSender.c_str(), strAddr.c_str()))
        m_reporter.Post(COtherServerSeen{strSender, from.dwAddr});
    if (m_bCompetingAsked) return;
    // Broadcasts that come while the question waits find it asked.
    m_bCompetingAsked = true;
    m_prompts.Ask(
        {EPrompt::OtherServer,
         "Another boot server '" + strSender + "' is running on '" + strAddr + "'. Continue ?",
         MB_YESNO | MB_ICONEXCLAMATION},
        [this, nRun = m_nRun, pAlive = m_pAlive](bool bYes) {
            // No stops the servers of the start it was asked for, not a later one.
            if (!bYes && *pAlive && nRun == m_nRun) m_fnStopServers();
        });
}
