#include <strings.h>

#include "app/ORXBootApp.h"
#include "net/TransferNode.h"
#include "net/WireFormat.h"
#include "platform/Clock.h"
#include "platform/LastError.h"
#include "platform/Process.h"

namespace {
constexpr int64_t FD_READ = 1;
constexpr uint32_t RETRANSMIT_BASE_MS = 1000;
// Resends while the time-out is below this; the next time-out fails the transfer.
constexpr uint32_t RETRANSMIT_GIVE_UP_MS = 10000;
constexpr uint32_t MAX_RETRIES_SHIFT = 4;
// The scan runs on a 1000 ms timer and the packet was stamped in an earlier tick's handler:
// a tick that lands a few ms short of the time-out is the one meant, not the next one.
constexpr uint32_t TIMER_SLACK_MS = 20;
constexpr uint32_t ARP_WAIT_MS = 5000;

// A line about a network transfer. Its name is taken from the node itself: a serial
// thread may shift its slot at any moment, and a slot looked up first could be stale.
void LogUnitLine(CORXBootApp& app, const CTransferNode& node, const std::string& strText) {
    app.LogMessage("%s: %s", node.m_strName.c_str(), strText.c_str());
}

// Every datagram from a unit with a transfer, whatever it holds, moves it on by one packet.
void OnUnitReply(CORXBootApp& app, CTransferNode* pNode, const CSockAddr& from) {
    enum { SEND_DATA, SEND_JUMP, COMPLETED } step = COMPLETED;
    {
        // Serial threads read the node's byte count under this lock for their reports.
        std::lock_guard<std::mutex> guard(app.m_lockTransfers);
        pNode->m_addrPeer = from;  // the unit may answer from a new port
        if (pNode->m_nSent < app.m_file.Length()) {
            pNode->BuildNextData(app.m_file);
            step = SEND_DATA;
        } else if (!pNode->m_bJumpSent) {
            pNode->BuildJump();
            step = SEND_JUMP;
        }
    }
    if (step == COMPLETED) {
        LogUnitLine(app, *pNode, "Transmission completed.");
        app.DestroyTransfer(app.RemoveTransfer(pNode));
        app.PostStatusEvent(BOOT_EVENT_TRANSFER_DONE);
        return;
    }
    pNode->SendPacket(*app.m_pServerSocket);
    if (step == SEND_JUMP) LogUnitLine(app, *pNode, "Sending Jump");
    app.PostProgress(app.FindTransferSlot(pNode));
}

void OnBootRequest(CORXBootApp& app, const uint8_t* pData, size_t nLen, const CSockAddr& from) {
    CBootRequest request;
    if (!DecodeBootRequest(pData, nLen, request)) return;
    // The all-ones address marks serial transfers; no unit can answer from it.
    if (from.dwAddr == INADDR_ALL_ONES) return;
    if (!HasOrxPrefix(request)) {
        app.LogMessage("Non-ORX device. %x %x %x", request.arrPrefix[0], request.arrPrefix[1],
                       request.arrPrefix[2]);
        return;
    }
    const CORXBootConfig& config = app.m_config;
    if (config.m_nNetType == 1 && !config.m_strNetNode.empty() &&
        strcasecmp(request.strName.c_str(), config.m_strNetNode.c_str()) != 0) {
        app.LogMessage("ORX device '%s' boot request ignored.", request.strName.c_str());
        return;
    }
    auto pNew = std::make_unique<CTransferNode>(from, request.strName, *app.m_sys.pClock);
    CTransferNode* pNode = pNew.get();
    app.AddTransfer(std::move(pNew));
    LogUnitLine(app, *pNode, "Starting Transfer");
    app.PostStatusEvent(BOOT_EVENT_TRANSFER_STARTED);
    pNode->SendPacket(*app.m_pServerSocket);
}
}  // namespace

int CORXBootApp::OnNetSocket(int64_t nSocketId, int64_t nEvent) {
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

void CORXBootApp::OnNetTimer(uint32_t nId) {
    if (nId == TIMER_RETRANSMIT) {
        CheckRetransmits();
    } else if (nId == TIMER_BROADCAST) {
        SendNewbootBroadcast();
    }
}

void CORXBootApp::OnServerReceive() {
    // A notification queued before the servers stopped finds the socket closed.
    if (!m_pServerSocket || !m_pServerSocket->IsOpen()) return;
    uint8_t buf[SERVER_RECEIVE_BUFFER];
    CSockAddr from;
    const int nReceived = m_pServerSocket->ReceiveFrom(buf, sizeof buf, from);
    if (nReceived < 0) {
        LogMessage("Server Receive error: %s", FormatErrorText(GetLastError()).c_str());
        return;
    }
    const size_t nLen = static_cast<size_t>(nReceived);
    // Only this thread removes network transfers, so the pointer outlives the lock.
    CTransferNode* pNode = nullptr;
    {
        std::lock_guard<std::mutex> guard(m_lockTransfers);
        for (const auto& p : m_arrTransfers) {
            if (!p->IsSerial() && p->m_addrPeer.dwAddr == from.dwAddr) {
                pNode = p.get();
                break;
            }
        }
    }
    if (!pNode) {
        OnBootRequest(*this, buf, nLen, from);
    } else if (nLen != BOOT_REQUEST_LEN) {  // a unit repeats its request while it is served
        OnUnitReply(*this, pNode, from);
    }
}

void CORXBootApp::CheckRetransmits() {
    // A snapshot, so that serial threads adding or removing their transfers meanwhile
    // neither shift a network transfer past the walk nor have it examined twice.
    std::vector<CTransferNode*> arrNodes;
    {
        std::lock_guard<std::mutex> guard(m_lockTransfers);
        for (const auto& p : m_arrTransfers) {
            if (!p->IsSerial()) arrNodes.push_back(p.get());
        }
    }
    for (CTransferNode* pNode : arrNodes) {
        if (FindTransferSlot(pNode) < 0) continue;
        // Read anew for each: clearing a failed unit's ARP entry may have taken seconds.
        const uint32_t dwNow = m_sys.pClock->GetTickCount();
        const uint32_t nShift =
            pNode->m_nRetries < MAX_RETRIES_SHIFT ? pNode->m_nRetries : MAX_RETRIES_SHIFT;
        const uint32_t dwTimeout = RETRANSMIT_BASE_MS << nShift;
        // Unsigned difference: a wrap of the tick counter between the two does no harm.
        if (dwNow - pNode->m_dwLastSend + TIMER_SLACK_MS < dwTimeout) continue;
        if (dwTimeout < RETRANSMIT_GIVE_UP_MS) {
            ++pNode->m_nRetries;
            LogUnitLine(*this, *pNode, "Retransmit packet " + std::to_string(pNode->m_nRetries));
            if (m_pServerSocket) pNode->SendPacket(*m_pServerSocket);
            continue;
        }
        LogUnitLine(*this, *pNode, "Failed Transfer");
        DestroyTransfer(RemoveTransfer(pNode));
        PostStatusEvent(BOOT_EVENT_TRANSFER_FAILED);
    }
}

void CORXBootApp::ClearArpEntry(uint32_t dwAddr) {
    if (!m_config.m_bNetCache || !m_sys.pProcess) return;
    const ERunResult result =
        m_sys.pProcess->Run({"arp", "-d", DottedAddress(dwAddr)}, ARP_WAIT_MS);
    if (result == ERunResult::StartFailed) {
        LogMessage("Server Net ARP Call Failed: %s", FormatErrorText(GetLastError()).c_str());
    } else if (result == ERunResult::TimedOut) {
        LogMessage("Server Net ARP Wait Failed.");
    }
}
