#include "tools/orxunit/NetUnitSession.h"

#include <cstdio>

namespace orxunit {

namespace {

std::string Seconds(uint64_t nUs) {
    char sz[32];
    std::snprintf(sz, sizeof sz, "%.2f", double(nUs) / 1e6);
    return sz;
}

std::string Endpoint(const CSockAddr& addr) {
    return DottedAddress(addr.dwAddr) + ":" + std::to_string(addr.wPort);
}

}  // namespace

CNetUnitSession::CNetUnitSession(CNetUnitConfig cfg, std::shared_ptr<const CBytes> pImage)
    : m_cfg(std::move(cfg)), m_pImage(std::move(pImage)), m_receiver(m_pImage.get(), false) {}

void CNetUnitSession::Start(uint64_t nNowUs, CUnitActions& act) {
    SendAnnouncement(act);
    m_nNextRequestUs = nNowUs + kRequestIntervalUs;
    m_nDeadlineUs = nNowUs + m_cfg.nTimeoutUs;
}

void CNetUnitSession::SendAnnouncement(CUnitActions& act) {
    act.arrSend.push_back({m_cfg.addrServer, BuildBootRequest(m_cfg.mac, m_cfg.strName,
                                                              m_cfg.dwOwnAddr, m_nSequence++)});
}

void CNetUnitSession::OnDatagram(const uint8_t* p, size_t n, const CSockAddr& from, uint64_t nNowUs,
                                 CUnitActions& act) {
    switch (m_eState) {
        case EState::Done:
            return;
        case EState::Silent:
        case EState::JumpIgnored:
            Observe(nNowUs);
            return;
        case EState::Announcing:
            if (!IsBootWriteRequest(p, n)) {
                Finish(kExitFailed, "expected the write request of boot.bin, got " +
                                        std::to_string(n) + " bytes: " + HexDump(p, n));
                return;
            }
            m_addrPeer = from;
            m_eState = EState::Receiving;
            m_nStartUs = nNowUs;
            OnWriteRequest(p, n, nNowUs, act);
            return;
        case EState::Receiving:
            break;
    }
    if (!(from == m_addrPeer)) {
        Finish(kExitFailed,
               "packet from " + Endpoint(from) + " in the transfer with " + Endpoint(m_addrPeer));
        return;
    }
    CDataBlock block;
    if (IsBootWriteRequest(p, n)) {
        OnWriteRequest(p, n, nNowUs, act);
    } else if (ParseDataBlock(p, n, block)) {
        OnData(block, nNowUs, act);
    } else if (IsJumpCommand(p, n)) {
        OnJump(nNowUs, act);
    } else {
        Finish(kExitFailed, "unexpected packet of " + std::to_string(n) + " bytes after block " +
                                std::to_string(m_receiver.Blocks()) + ": " + HexDump(p, n));
    }
}

void CNetUnitSession::OnWriteRequest(const uint8_t*, size_t, uint64_t nNowUs, CUnitActions& act) {
    // A write request again is the server's resend while no block has come yet.
    if (m_receiver.Blocks() > 0) {
        Finish(kExitFailed,
               "write request again after block " + std::to_string(m_receiver.Blocks()));
        return;
    }
    m_nDeadlineUs = nNowUs + m_cfg.nTimeoutUs;
    if (m_cfg.faults.nSilentAfter == 0) {  // a unit that asks, then never answers
        m_eState = EState::Silent;
        return;
    }
    if (m_cfg.faults.nDropAck == 0 && !m_bAckDropped) {
        m_bAckDropped = true;
        return;
    }
    Send(act, BuildAck(0));
}

void CNetUnitSession::OnData(const CDataBlock& block, uint64_t nNowUs, CUnitActions& act) {
    const CBlockReceiver::EBlock eBlock = m_receiver.Accept(block);
    if (eBlock == CBlockReceiver::EBlock::Bad) {
        Finish(kExitFailed, m_receiver.Error());
        return;
    }
    m_nDeadlineUs = nNowUs + m_cfg.nTimeoutUs;
    if (eBlock == CBlockReceiver::EBlock::Repeat) {
        Send(act, BuildAck(block.wBlock));
        return;
    }
    const int64_t nOrdinal = int64_t(m_receiver.Blocks());
    const CNetUnitFaults& f = m_cfg.faults;
    if (f.nDropAck == nOrdinal && !m_bAckDropped) {
        m_bAckDropped = true;
        return;
    }
    if (f.nNewPortAfter >= 0 && nOrdinal == f.nNewPortAfter + 1 && !m_bPortMoved) {
        act.bNewPort = true;
        m_bPortMoved = true;
    }
    Send(act, BuildAck(block.wBlock));
    if (f.nSilentAfter == nOrdinal) {
        m_eState = EState::Silent;
        return;
    }
    if (f.bRepeatRequest && nOrdinal % kRepeatEvery == 0) SendAnnouncement(act);
}

void CNetUnitSession::OnJump(uint64_t nNowUs, CUnitActions& act) {
    if (!m_receiver.HasAll()) {
        Finish(kExitFailed, "jump after " + std::to_string(m_receiver.Received()) + " of " +
                                std::to_string(m_pImage->size()) + " bytes");
        return;
    }
    m_result.nBytes = m_receiver.Received();
    m_result.dSeconds = double(nNowUs - m_nStartUs) / 1e6;
    m_result.nStartUs = m_nStartUs;
    m_result.nEndUs = nNowUs;
    if (m_cfg.faults.bNoJumpAnswer) {
        m_eState = EState::JumpIgnored;
        Observe(nNowUs);
        return;
    }
    Send(act, BuildJumpAnswer());
    Finish(kExitOk, "");
}

void CNetUnitSession::Observe(uint64_t nNowUs) {
    m_arrQuietArrivals.push_back(nNowUs);
    m_nDeadlineUs = nNowUs + m_cfg.nTimeoutUs;
}

void CNetUnitSession::OnTimer(uint64_t nNowUs, CUnitActions& act) {
    if (m_eState == EState::Done) return;
    if (nNowUs >= m_nDeadlineUs) {
        std::string strTimes;
        for (uint64_t t : m_arrQuietArrivals)
            strTimes += " +" + Seconds(t - m_arrQuietArrivals.front());
        const std::string strQuiet = std::to_string(m_arrQuietArrivals.size()) + " packet(s)" +
                                     (strTimes.empty() ? "" : " at" + strTimes + " s");
        if (m_eState == EState::JumpIgnored) {
            m_result.strNote = "jump left unanswered; it came " + strQuiet;
            Finish(kExitOk, "");
        } else if (m_eState == EState::Silent) {
            Finish(kExitTimedOut, "silent after block " +
                                      std::to_string(m_cfg.faults.nSilentAfter) +
                                      " as asked; the server then sent " + strQuiet);
        } else {
            Finish(kExitTimedOut, "nothing for " + Seconds(m_cfg.nTimeoutUs) + " s " + Waiting());
        }
        return;
    }
    if (m_eState == EState::Announcing && nNowUs >= m_nNextRequestUs) {
        SendAnnouncement(act);
        m_nNextRequestUs = nNowUs + kRequestIntervalUs;
    }
}

std::string CNetUnitSession::Waiting() const {
    if (m_eState == EState::Announcing) return "while waiting for the write request";
    return "after block " + std::to_string(m_receiver.Blocks()) + " (" +
           std::to_string(m_receiver.Received()) + " of " + std::to_string(m_pImage->size()) +
           " bytes)";
}

uint64_t CNetUnitSession::NextWakeUs() const {
    if (m_eState == EState::Announcing) return std::min(m_nNextRequestUs, m_nDeadlineUs);
    return m_nDeadlineUs;
}

void CNetUnitSession::Finish(int nCode, const std::string& strReason) {
    m_eState = EState::Done;
    m_result.nCode = nCode;
    m_result.strReason = strReason;
}

}  // namespace orxunit
