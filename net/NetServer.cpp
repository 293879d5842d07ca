#include <strings.h>

#include "base/Config.h"
#include "base/EventReporter.h"
#include "base/PlatformServices.h"
#include "image/TransferFile.h"
#include "net/NetBootServer.h"
#include "net/NetTransfer.h"
#include "net/WireFormat.h"
#include "platform/Clock.h"
#include "platform/LastError.h"
#include "platform/Timers.h"
#include "transfer/TransferReporter.h"
#include "transfer/TransferTable.h"

namespace {
constexpr int64_t FD_READ = 1;
constexpr uint32_t RETRANSMIT_BASE_MS = 1000;
// Resends while the time-out is below this; the next time-out fails the transfer.
constexpr uint32_t RETRANSMIT_GIVE_UP_MS = 10000;
constexpr uint32_t MAX_RETRIES_SHIFT = 4;
// The scan runs on a 1000 ms timer and the packet was stamped in an earlier tick's handler:
// a tick that lands a few ms short of the time-out is the one meant, not the next one.
constexpr uint32_t TIMER_SLACK_MS = 20;
constexpr uint32_t RETRANSMIT_PERIOD_MS = 1000;
}  // namespace

CNetBootServer::CNetBootServer(const CPlatformServices& sys, const CORXBootConfig& config,
                               const CTransferFile& image, CTransferTable& transfers,
                               CEventReporter& reporter, CTransferReporter& reports,
                               IUserPrompts& prompts, std::function<void()> fnStopServers)
    : m_sys(sys),
      m_config(config),
      m_image(image),
      m_transfers(transfers),
      m_reporter(reporter),
      m_reports(reports),
      m_prompts(prompts),
      m_fnStopServers(std::move(fnStopServers)),
      m_log(reporter, *sys.pClock, *sys.pPoster, *sys.pTimers) {
    if (m_sys.pProcess)
        m_pArp =
            std::make_unique<CArpClearing>(*m_sys.pProcess, *m_sys.pPoster, *m_sys.pClock, m_log);
    m_hTarget = m_sys.pPoster->CreateWindow([this](CMessage& msg) {
        if (msg.nMsg == WM_BOOT_SOCKET) {
            OnNetSocket(msg.wParam, msg.lParam);
        } else if (msg.nMsg == WM_TIMER) {
            OnNetTimer(static_cast<uint32_t>(msg.wParam));
        }
    });
}

CNetBootServer::~CNetBootServer() {
    *m_pAlive = false;
    Stop();
    m_sys.pPoster->DestroyWindow(m_hTarget);
}

bool CNetBootServer::Start(std::string& strFailure) {
    m_bCompetingAsked = false;
    ++m_nRun;
    if (m_config.m_nNetType == 0 && !CreateBroadcastSocket()) {
        strFailure = "Broadcast Socket error: " + FormatErrorText(GetLastError());
        return false;
    }
    m_pServerSocket = m_sys.pSockets->NewSocket();
    if (!m_pServerSocket->Create(BOOT_SERVER_PORT)) {
        strFailure = "Server Socket Create error: " + FormatErrorText(GetLastError());
        return false;
    }
    if (!m_pServerSocket->AsyncSelect(m_hTarget, WM_BOOT_SOCKET, SOCKET_ID_SERVER)) {
        strFailure = "Server Select Socket error: " + FormatErrorText(GetLastError());
        return false;
    }
    m_sys.pTimers->SetTimer(m_hTarget, TIMER_RETRANSMIT, RETRANSMIT_PERIOD_MS);
    m_reporter.LogMessage("Server waiting for boot request...");
    return true;
}

void CNetBootServer::Stop() {
    if (m_pBroadcastSocket && m_pBroadcastSocket->IsOpen()) {
        m_pBroadcastSocket->Close();
        m_sys.pTimers->KillTimer(m_hTarget, TIMER_BROADCAST);
    }
    if (m_pServerSocket && m_pServerSocket->IsOpen()) {
        m_pServerSocket->Close();
        m_sys.pTimers->KillTimer(m_hTarget, TIMER_RETRANSMIT);
    }
    m_arrHeld.clear();
    m_nBeyondBound = m_nTakenOn = 0;
}

void CNetBootServer::DestroyTransfer(std::unique_ptr<CTransferNode> pTransfer) {
    if (!pTransfer) return;
    std::erase(m_arrLive, pTransfer.get());
    ClearArpEntry(pTransfer->Unit().dwAddr);
}

void CNetBootServer::EndTransfer(CNetTransfer* pNode, std::optional<EFailReason> eFailure) {
    const uint32_t dwElapsedMs = pNode->ElapsedMs(m_sys.pClock->GetTickCount());
    CUnitRef unit = pNode->Unit();
    CTakenTransfer taken = m_transfers.Remove(pNode);
    const uint32_t nBytes = taken.nSent;
    DestroyTransfer(std::move(taken.pNode));
    if (eFailure) {
        m_reports.PostStatus(CTransferFailed{std::move(unit), *eFailure, {}, nBytes, dwElapsedMs});
    } else {
        m_reports.PostStatus(CTransferCompleted{std::move(unit), nBytes, dwElapsedMs});
    }
}

// A line about a network transfer. Its name is taken from the node itself: a serial
// thread may shift its slot at any moment, and a slot looked up first could be stale.
void CNetBootServer::LogUnitLine(const CTransferNode& node, const std::string& strText) {
    m_reporter.LogMessage("%s: %s", node.Name().c_str(), strText.c_str());
}

// Every datagram from a unit with a transfer, whatever it holds, moves it on by one packet.
void CNetBootServer::OnUnitReply(CNetTransfer* pNode, const CSockAddr& from) {
    enum { SEND_DATA, SEND_JUMP, COMPLETED } step = COMPLETED;
    pNode->m_addrPeer = from;  // the unit may answer from a new port
    if (const uint32_t nBytes = pNode->BuildNextData(m_image)) {
        m_transfers.AddSent(pNode, nBytes);
        step = SEND_DATA;
    } else if (!pNode->m_bJumpSent) {
        pNode->BuildJump();
        step = SEND_JUMP;
    }
    if (step == COMPLETED) {
        LogUnitLine(*pNode, "Transmission completed.");
        EndTransfer(pNode, std::nullopt);
        return;
    }
    pNode->SendPacket(*m_pServerSocket);
    if (step == SEND_JUMP) LogUnitLine(*pNode, "Sending Jump");
    m_reports.PostProgress(m_transfers.FindTransferSlot(pNode));
}

void CNetBootServer::OnBootRequest(const uint8_t* pData, size_t nLen, const CSockAddr& from) {
    CBootRequest request;
    if (!DecodeBootRequest(pData, nLen, request)) return;
    // The all-ones address marks serial transfers; no unit can answer from it.
    if (from.dwAddr == INADDR_ALL_ONES) return;
    if (!HasOrxPrefix(request)) {
        m_log.Log(ELogKind::RefusedDevice, "Non-ORX device. %x %x %x", request.arrMac[0],
                  request.arrMac[1], request.arrMac[2]);
        return;
    }
    if (m_config.m_nNetType == 1 && !m_config.m_strNetNode.empty() &&
        strcasecmp(request.strName.c_str(), m_config.m_strNetNode.c_str()) != 0) {
        m_log.Log(ELogKind::RefusedDevice, "ORX device '%s' boot request ignored.",
                  request.strName.c_str());
        return;
    }
    TakeHeld(from.dwAddr);  // asked again: held anew, or served now that there is room
    auto pNew = std::make_unique<CNetTransfer>(
        CUnitRef{request.strName, false, from.dwAddr, from.wPort, request.arrMac}, *m_sys.pClock);
    if (m_transfers.Count() >= m_nMaxTransfers) {
        OnRequestBeyondBound(std::move(pNew));
        return;
    }
    AddTransfer(std::move(pNew))->SendPacket(*m_pServerSocket);
}

int CNetBootServer::OnNetSocket(int64_t nSocketId, int64_t nEvent) {
    if ((nEvent & FD_READ) == 0) return 0;
    if (nSocketId == SOCKET_ID_BROADCAST) {
        OnBroadcastReceive();
        return 1;
    }
    if (nSocketId == SOCKET_ID_SERVER) {
        OnServerReceive();
        return 1;
    }
    return 0;
}

void CNetBootServer::OnNetTimer(uint32_t nId) {
    if (nId == TIMER_RETRANSMIT) {
        CheckRetransmits();
    } else if (nId == TIMER_BROADCAST) {
        SendNewbootBroadcast();
    }
}

void CNetBootServer::OnServerReceive() {
    // A notification queued before the servers stopped finds the socket closed.
    if (!m_pServerSocket || !m_pServerSocket->IsOpen()) return;
    uint8_t buf[SERVER_RECEIVE_BUFFER];
    CSockAddr from;
    const int nReceived = m_pServerSocket->ReceiveFrom(buf, sizeof buf, from);
    if (nReceived < 0) {
        m_log.Log(ELogKind::ReceiveError, "Server Receive error: %s",
                  FormatErrorText(GetLastError()).c_str());
        return;
    }
    const size_t nLen = static_cast<size_t>(nReceived);
    CNetTransfer* pNode = FindLive(from.dwAddr);
    if (!pNode) {
        if (nLen == BOOT_REQUEST_LEN) {
            OnBootRequest(buf, nLen, from);
        } else if (std::unique_ptr<CNetTransfer> pHeld = TakeHeld(from.dwAddr)) {
            OnHeldReply(std::move(pHeld), from);
        }
    } else if (nLen != BOOT_REQUEST_LEN) {  // a unit repeats its request while it is served
        OnUnitReply(pNode, from);
    }
}

void CNetBootServer::CheckRetransmits() {
    ReportBeyondBound();
    // A copy, as the walk ends transfers; it ends only the one it is at, so every node
    // after it stays valid. Nothing in the walk waits: one reading of the clock serves all.
    const std::vector<CNetTransfer*> arrNodes = m_arrLive;
    const uint32_t dwNow = m_sys.pClock->GetTickCount();
    for (CNetTransfer* pNode : arrNodes) {
        const uint32_t nShift =
            pNode->m_nRetries < MAX_RETRIES_SHIFT ? pNode->m_nRetries : MAX_RETRIES_SHIFT;
        const uint32_t dwTimeout = RETRANSMIT_BASE_MS << nShift;
        // Unsigned difference: a wrap of the tick counter between the two does no harm.
        if (dwNow - pNode->m_dwLastSend + TIMER_SLACK_MS < dwTimeout) continue;
        if (dwTimeout < RETRANSMIT_GIVE_UP_MS) {
            ++pNode->m_nRetries;
            LogUnitLine(*pNode, "Retransmit packet " + std::to_string(pNode->m_nRetries));
            if (m_pServerSocket) pNode->SendPacket(*m_pServerSocket);
            continue;
        }
        LogUnitLine(*pNode, "Failed Transfer");
        EndTransfer(pNode, EFailReason::NoAcknowledgement);
    }
}

CNetTransfer* CNetBootServer::FindLive(uint32_t dwAddr) const {
    for (CNetTransfer* p : m_arrLive)
        if (p->Unit().dwAddr == dwAddr) return p;
    return nullptr;
}

void CNetBootServer::ClearArpEntry(uint32_t dwAddr) {
    if (m_config.m_bNetCache && m_pArp) m_pArp->Clear(dwAddr);
}

void CNetBootServer::FinishArpClearing() {
    if (m_pArp) m_pArp->Finish();
}
