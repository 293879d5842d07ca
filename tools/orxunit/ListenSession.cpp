#include "tools/orxunit/ListenSession.h"

namespace orxunit {

namespace {
constexpr uint16_t kErrUndefined = 0;
constexpr uint16_t kErrIllegal = 4;
constexpr uint16_t kErrUnknownTid = 5;
}  // namespace

CListenSession::CListenSession(std::shared_ptr<const CBytes> pExpected, uint64_t nTimeoutUs)
    : m_pExpected(std::move(pExpected)),
      m_nTimeoutUs(nTimeoutUs),
      m_receiver(m_pExpected.get(), true) {}

void CListenSession::Start(uint64_t nNowUs, CUnitActions&) {
    m_nDeadlineUs = nNowUs + m_nTimeoutUs;
}

void CListenSession::OnDatagram(const uint8_t* p, size_t n, const CSockAddr& from, uint64_t nNowUs,
                                CUnitActions& act) {
    if (m_eState == EState::Done) return;
    if (m_eState == EState::Waiting) {
        OnRequest(p, n, from, nNowUs, act);
        return;
    }
    if (!(from == m_addrClient)) {
        act.arrSend.push_back({from, BuildError(kErrUnknownTid, "Unknown transfer ID")});
        return;
    }
    CDataBlock block;
    if (ParseDataBlock(p, n, block)) {
        OnData(block, nNowUs, act);
    } else if (n >= 4 && GetBe16(p) == kOpError) {
        Finish(kExitFailed, "the client gave up: error " + std::to_string(GetBe16(p + 2)) + " " +
                                PrintableText(p + 4, n - 4));
    } else {
        // Write request resent before our first acknowledgement reached the client.
        CWriteRequest wrq;
        if (ParseWriteRequest(p, n, wrq) && m_receiver.Blocks() == 0) {
            act.arrSend.push_back({m_addrClient, BuildAck(0)});
            return;
        }
        act.arrSend.push_back({from, BuildError(kErrIllegal, "Illegal TFTP operation")});
        Finish(kExitFailed,
               "unexpected packet of " + std::to_string(n) + " bytes: " + HexDump(p, n));
    }
}

void CListenSession::OnRequest(const uint8_t* p, size_t n, const CSockAddr& from, uint64_t nNowUs,
                               CUnitActions& act) {
    CWriteRequest wrq;
    if (!ParseWriteRequest(p, n, wrq)) {
        act.arrSend.push_back({from, BuildError(kErrIllegal, "Illegal TFTP operation")});
        Finish(kExitFailed,
               "expected a write request, got " + std::to_string(n) + " bytes: " + HexDump(p, n));
        return;
    }
    if (wrq.strMode != "octet") {
        act.arrSend.push_back({from, BuildError(kErrUndefined, "Only octet mode is served")});
        Finish(kExitFailed, "write request in mode '" + wrq.strMode + "', not octet");
        return;
    }
    // Answer from a port of our own, the transfer identifier of RFC 1350.
    m_addrClient = from;
    m_strName =
        PrintableText(reinterpret_cast<const uint8_t*>(wrq.strFile.data()), wrq.strFile.size());
    m_eState = EState::Receiving;
    m_nStartUs = nNowUs;
    m_nDeadlineUs = nNowUs + m_nTimeoutUs;
    act.bNewPort = true;
    act.arrSend.push_back({from, BuildAck(0)});
}

void CListenSession::OnData(const CDataBlock& block, uint64_t nNowUs, CUnitActions& act) {
    const CBlockReceiver::EBlock eBlock = m_receiver.Accept(block);
    if (eBlock == CBlockReceiver::EBlock::Bad) {
        act.arrSend.push_back({m_addrClient, BuildError(kErrUndefined, m_receiver.Error())});
        Finish(kExitFailed, m_receiver.Error());
        return;
    }
    m_nDeadlineUs = nNowUs + m_nTimeoutUs;
    act.arrSend.push_back({m_addrClient, BuildAck(block.wBlock)});
    if (eBlock == CBlockReceiver::EBlock::New && m_receiver.Ended()) {
        m_result.nBytes = m_receiver.Received();
        m_result.dSeconds = double(nNowUs - m_nStartUs) / 1e6;
        m_result.nStartUs = m_nStartUs;
        m_result.nEndUs = nNowUs;
        if (m_pExpected && !m_receiver.HasAll())
            Finish(kExitFailed, "the transfer ended after " +
                                    std::to_string(m_receiver.Received()) + " of " +
                                    std::to_string(m_pExpected->size()) + " bytes");
        else
            Finish(kExitOk, "");
    }
}

void CListenSession::OnTimer(uint64_t nNowUs, CUnitActions&) {
    if (m_eState == EState::Done || nNowUs < m_nDeadlineUs) return;
    Finish(kExitTimedOut, m_eState == EState::Waiting ? "no write request came"
                                                      : "the client went silent after block " +
                                                            std::to_string(m_receiver.Blocks()));
}

void CListenSession::Finish(int nCode, const std::string& strReason) {
    m_eState = EState::Done;
    m_result.nCode = nCode;
    m_result.strReason = strReason;
}

}  // namespace orxunit
