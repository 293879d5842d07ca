#pragma once
// A plain TFTP write receiver (RFC 1350, octet mode, any file name, any client), so that
// a standard TFTP client can be measured against the same receiving end as the server.
#include <memory>

#include "tools/orxunit/BlockReceiver.h"
#include "tools/orxunit/UnitSession.h"

namespace orxunit {

class CListenSession : public IUnitSession {
public:
    // pExpected: the file the client must send, or null to keep what arrives.
    CListenSession(std::shared_ptr<const CBytes> pExpected, uint64_t nTimeoutUs);

    void Start(uint64_t nNowUs, CUnitActions& act) override;
    void OnDatagram(const uint8_t* p, size_t n, const CSockAddr& from, uint64_t nNowUs,
                    CUnitActions& act) override;
    void OnTimer(uint64_t nNowUs, CUnitActions& act) override;
    uint64_t NextWakeUs() const override { return m_nDeadlineUs; }
    bool Finished() const override { return m_eState == EState::Done; }
    void Abort(const std::string& strReason) override { Finish(kExitFailed, strReason); }
    const CUnitResult& Result() const override { return m_result; }
    const std::string& Name() const override { return m_strName; }

    const CBytes& Received() const { return m_receiver.Kept(); }

private:
    enum class EState { Waiting, Receiving, Done };

    void OnRequest(const uint8_t* p, size_t n, const CSockAddr& from, uint64_t nNowUs,
                   CUnitActions& act);
    void OnData(const CDataBlock& block, uint64_t nNowUs, CUnitActions& act);
    void Finish(int nCode, const std::string& strReason);

    std::shared_ptr<const CBytes> m_pExpected;
    uint64_t m_nTimeoutUs;
    CBlockReceiver m_receiver;
    EState m_eState = EState::Waiting;
    CSockAddr m_addrClient;
    std::string m_strName = "listen";
    uint64_t m_nStartUs = 0;
    uint64_t m_nDeadlineUs = 0;
    CUnitResult m_result;
};

}  // namespace orxunit
