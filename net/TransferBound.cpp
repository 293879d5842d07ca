// The bound on transfers at once, and the boot requests held beyond it.
#include "base/EventReporter.h"
#include "base/PlatformServices.h"
#include "image/TransferFile.h"
#include "net/NetBootServer.h"
#include "net/NetTransfer.h"
#include "platform/Clock.h"
#include "transfer/TransferReporter.h"
#include "transfer/TransferTable.h"

namespace {
// A transfer is silent when its write request has gone unanswered past its first time-out.
constexpr uint32_t kSilentMs = 1000;
}  // namespace

CNetTransfer* CNetBootServer::AddTransfer(std::unique_ptr<CNetTransfer> pNew) {
    CNetTransfer* pNode = pNew.get();
    m_transfers.Add(std::move(pNew));
    m_arrLive.push_back(pNode);
    LogUnitLine(*pNode, "Starting Transfer");
    m_reports.PostStatus(CTransferStarted{pNode->Unit(), m_image.Length()});
    return pNode;
}

// Beyond the bound a request costs no log line and no status event, so a flood from ever
// new addresses fills nothing. While a silent transfer could make way, it is held with its
// write request sent; else it is not answered, and the unit asks again a second later.
void CNetBootServer::OnRequestBeyondBound(std::unique_ptr<CNetTransfer> pNew) {
    ++m_nBeyondBound;
    if (!FindSilentTransfer()) return;
    pNew->SendPacket(*m_pServerSocket);
    m_arrHeld.push_back(std::move(pNew));
    if (m_arrHeld.size() > m_nMaxTransfers) m_arrHeld.pop_front();
}

std::unique_ptr<CNetTransfer> CNetBootServer::TakeHeld(uint32_t dwAddr) {
    for (auto it = m_arrHeld.begin(); it != m_arrHeld.end(); ++it) {
        if ((*it)->Unit().dwAddr != dwAddr) continue;
        std::unique_ptr<CNetTransfer> pHeld = std::move(*it);
        m_arrHeld.erase(it);
        return pHeld;
    }
    return nullptr;
}

void CNetBootServer::OnHeldReply(std::unique_ptr<CNetTransfer> pHeld, const CSockAddr& from) {
    if (m_transfers.Count() >= m_nMaxTransfers) {
        CNetTransfer* pSilent = FindSilentTransfer();
        if (!pSilent) return;
        LogUnitLine(*pSilent, "Failed Transfer");
        EndTransfer(pSilent, EFailReason::Displaced);
        ++m_nTakenOn;
    }
    OnUnitReply(AddTransfer(std::move(pHeld)), from);
}

CNetTransfer* CNetBootServer::FindSilentTransfer() {
    const uint32_t dwNow = m_sys.pClock->GetTickCount();
    for (CNetTransfer* p : m_arrLive) {
        if (p->m_nOffset == 0 && !p->m_bJumpSent &&
            (p->m_nRetries > 0 || dwNow - p->m_dwLastSend >= kSilentMs))
            return p;
    }
    return nullptr;
}

void CNetBootServer::ReportBeyondBound() {
    if (m_nBeyondBound == 0 && m_nTakenOn == 0) return;
    m_reporter.LogMessage(
        "Transfer limit %zu reached: %u boot requests beyond it, %u units taken on in place of "
        "silent transfers.",
        m_nMaxTransfers, m_nBeyondBound, m_nTakenOn);
    m_nBeyondBound = m_nTakenOn = 0;
}
