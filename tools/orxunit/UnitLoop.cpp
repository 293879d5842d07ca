#include "tools/orxunit/UnitLoop.h"

#include <sys/epoll.h>
#include <unistd.h>

#include <chrono>

#include "base/FormatText.h"
#include "platform/LastError.h"

namespace orxunit {

namespace {

// Timers are checked at least this often; a unit's time-outs need no finer grain.
constexpr uint64_t kScanUs = 100'000;

uint64_t NowUs() {
    return uint64_t(std::chrono::duration_cast<std::chrono::microseconds>(
                        std::chrono::steady_clock::now().time_since_epoch())
                        .count());
}

std::string LastErrorText() {
    return FormatErrorText(GetLastError());
}

class CLoop {
public:
    explicit CLoop(std::vector<CUnitSlot>& arrSlots) : m_arrSlots(arrSlots) {
        m_fdEpoll = epoll_create1(EPOLL_CLOEXEC);
    }
    ~CLoop() {
        if (m_fdEpoll >= 0) close(m_fdEpoll);
    }

    void Run() {
        for (size_t i = 0; i < m_arrSlots.size(); ++i) {
            CUnitSlot& slot = m_arrSlots[i];
            slot.pSocket = std::make_unique<CUnitSocket>();
            if (!slot.pSocket->Open(slot.dwBindAddr, slot.wBindPort)) {
                slot.pSession->Abort("cannot bind " + DottedAddress(slot.dwBindAddr) + ":" +
                                     std::to_string(slot.wBindPort) + ": " + LastErrorText());
                continue;
            }
            if (!Watch(i)) continue;
            CUnitActions act;
            slot.pSession->Start(NowUs(), act);
            Apply(i, act);
        }
        uint64_t nNextScan = 0;
        std::vector<epoll_event> arrEvents(m_arrSlots.size() + 1);
        std::vector<uint8_t> arrBuf(65536);
        for (;;) {
            const uint64_t nNow = NowUs();
            if (nNow >= nNextScan) {
                nNextScan = Scan(nNow);
                if (!AnyRunning()) break;
            }
            const int nWaitMs = int((nNextScan - nNow + 999) / 1000);
            const int nReady =
                epoll_wait(m_fdEpoll, arrEvents.data(), int(arrEvents.size()), nWaitMs);
            // A unit that ends makes the next turn look at them all.
            for (int k = 0; k < nReady; ++k)
                if (Drain(arrEvents[k].data.u32, arrBuf)) nNextScan = 0;
        }
    }

private:
    bool AnyRunning() const {
        for (const CUnitSlot& slot : m_arrSlots)
            if (!slot.pSession->Finished()) return true;
        return false;
    }

    // Runs due timers; returns when to look again.
    uint64_t Scan(uint64_t nNow) {
        uint64_t nNext = nNow + kScanUs;
        for (size_t i = 0; i < m_arrSlots.size(); ++i) {
            IUnitSession& s = *m_arrSlots[i].pSession;
            if (s.Finished()) continue;
            if (s.NextWakeUs() <= nNow) {
                CUnitActions act;
                s.OnTimer(nNow, act);
                Apply(i, act);
            }
            if (!s.Finished()) nNext = std::min(nNext, std::max(s.NextWakeUs(), nNow + 1000));
        }
        return nNext;
    }

    // Reads what waits for unit i; true when the unit has finished.
    bool Drain(uint32_t i, std::vector<uint8_t>& arrBuf) {
        CUnitSlot& slot = m_arrSlots[i];
        while (slot.pSocket) {
            if (slot.pSession->Finished()) {
                // A finished unit answers nothing more, as if switched off.
                slot.pSocket.reset();
                return true;
            }
            size_t nGot = 0;
            CSockAddr from;
            const int r = slot.pSocket->ReceiveFrom(arrBuf.data(), arrBuf.size(), nGot, from);
            if (r == 0) return false;
            if (r < 0) {
                slot.pSession->Abort("receive failed: " + LastErrorText());
                return true;
            }
            CUnitActions act;
            slot.pSession->OnDatagram(arrBuf.data(), nGot, from, NowUs(), act);
            Apply(i, act);
        }
        return true;
    }

    bool Watch(size_t i) {
        epoll_event ev{};
        ev.events = EPOLLIN;
        ev.data.u32 = uint32_t(i);
        if (epoll_ctl(m_fdEpoll, EPOLL_CTL_ADD, m_arrSlots[i].pSocket->Fd(), &ev) != 0) {
            SetLastErrorFromErrno();
            m_arrSlots[i].pSession->Abort("cannot watch the socket: " + LastErrorText());
            return false;
        }
        return true;
    }

    void Apply(size_t i, const CUnitActions& act) {
        CUnitSlot& slot = m_arrSlots[i];
        if (act.bNewPort) {
            auto pNew = std::make_unique<CUnitSocket>();
            if (!pNew->Open(slot.dwBindAddr, 0)) {
                slot.pSession->Abort("cannot open a new port: " + LastErrorText());
                return;
            }
            slot.pSocket = std::move(pNew);  // closing the old one leaves its watch too
            if (!Watch(i)) return;
        }
        for (const CUnitSend& send : act.arrSend) {
            if (!slot.pSocket->SendTo(send.bytes.data(), send.bytes.size(), send.to)) {
                slot.pSession->Abort("send to " + DottedAddress(send.to.dwAddr) + ":" +
                                     std::to_string(send.to.wPort) + " failed: " + LastErrorText());
                return;
            }
        }
    }

    std::vector<CUnitSlot>& m_arrSlots;
    int m_fdEpoll = -1;
};

}  // namespace

void RunUnitLoop(std::vector<CUnitSlot>& arrSlots) {
    CLoop(arrSlots).Run();
}

}  // namespace orxunit
