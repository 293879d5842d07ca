#pragma once
// A unit booting from the network: announces itself, takes the write of "boot.bin" as a
// TFTP server, acknowledges every block, answers the jump, and checks every byte.
#include <memory>

#include "tools/orxunit/BlockReceiver.h"
#include "tools/orxunit/UnitSession.h"

namespace orxunit {

// Blocks are counted from 1 in arrival order, without the 16-bit wrap; -1 is off.
struct CNetUnitFaults {
    int64_t nSilentAfter = -1;    // acknowledge block N, then answer nothing more
    int64_t nDropAck = -1;        // leave block N unacknowledged once (0: the write request)
    int64_t nNewPortAfter = -1;   // acknowledge from a new UDP port from block N + 1 on
    bool bRepeatRequest = false;  // announce again every 16 blocks during the transfer
    bool bNoJumpAnswer = false;
};

struct CNetUnitConfig {
    std::string strName;
    CMac mac{};
    uint32_t dwOwnAddr = 0;  // network byte order, written into the announcement
    CSockAddr addrServer;    // where announcements go (port 980)
    uint64_t nTimeoutUs = 40'000'000;
    CNetUnitFaults faults;
};

class CNetUnitSession : public IUnitSession {
public:
    static constexpr uint64_t kRequestIntervalUs = 1'000'000;
    static constexpr int64_t kRepeatEvery = 16;

    CNetUnitSession(CNetUnitConfig cfg, std::shared_ptr<const CBytes> pImage);

    void Start(uint64_t nNowUs, CUnitActions& act) override;
    void OnDatagram(const uint8_t* p, size_t n, const CSockAddr& from, uint64_t nNowUs,
                    CUnitActions& act) override;
    void OnTimer(uint64_t nNowUs, CUnitActions& act) override;
    uint64_t NextWakeUs() const override;
    bool Finished() const override { return m_eState == EState::Done; }
    void Abort(const std::string& strReason) override { Finish(kExitFailed, strReason); }
    const CUnitResult& Result() const override { return m_result; }
    const std::string& Name() const override { return m_cfg.strName; }

private:
    enum class EState { Announcing, Receiving, Silent, JumpIgnored, Done };

    void OnWriteRequest(const uint8_t* p, size_t n, uint64_t nNowUs, CUnitActions& act);
    void OnData(const CDataBlock& block, uint64_t nNowUs, CUnitActions& act);
    void OnJump(uint64_t nNowUs, CUnitActions& act);
    void Observe(uint64_t nNowUs);
    void SendAnnouncement(CUnitActions& act);
    void Send(CUnitActions& act, CBytes bytes) {
        act.arrSend.push_back({m_addrPeer, std::move(bytes)});
    }
    void Finish(int nCode, const std::string& strReason);
    std::string Waiting() const;

    CNetUnitConfig m_cfg;
    std::shared_ptr<const CBytes> m_pImage;
    CBlockReceiver m_receiver;
    EState m_eState = EState::Announcing;
    CSockAddr m_addrPeer;
    uint8_t m_nSequence = 0;
    bool m_bWrqDropped = false;
    bool m_bAckDropped = false;
    bool m_bPortMoved = false;
    uint64_t m_nNextRequestUs = 0;
    uint64_t m_nDeadlineUs = 0;
    uint64_t m_nStartUs = 0;
    // What the server sent after the unit went quiet, with arrival times.
    std::vector<uint64_t> m_arrQuietArrivals;
    CUnitResult m_result;
};

}  // namespace orxunit
