#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/NetBootServer.h"
#include "tests/CaseName.h"
#include "tests/EngineRig.h"

namespace {
using Bytes = std::vector<uint8_t>;
using Lines = std::vector<std::string>;
using Statuses = std::vector<EBootStatus>;

Bytes Ack(uint16_t wBlock) {
    return {0, 4, uint8_t(wBlock >> 8), uint8_t(wBlock)};
}

class NetServerTest : public ::testing::Test, public CEngineRig {
protected:
    void SetUp() override {
        config.m_nBootNet = 1;
        config.m_nNetType = 1;  // no broadcast socket; an empty NETNODE answers all
    }

    void Start(size_t nImageLength) {
        m_image = MakeImageBytes(nImageLength);
        ASSERT_TRUE(LoadImage(m_image));
        std::string strFailure;
        ASSERT_TRUE(net.Start(strFailure)) << strFailure;
        m_pServer = sys.sockets.Bound(BOOT_SERVER_PORT);
        ASSERT_NE(m_pServer, nullptr);
        sys.poster.Clear();
    }
    std::vector<CDatagram> SentSince(size_t nBefore) const {
        return {m_pServer->m_sent.begin() + static_cast<long>(nBefore), m_pServer->m_sent.end()};
    }
    // One datagram arrives and its notification is handled; returns what went out.
    std::vector<CDatagram> Deliver(const Bytes& bytes, const CSockAddr& from) {
        const size_t nBefore = m_pServer->m_sent.size();
        m_pServer->m_incoming.push_back({bytes, from});
        EXPECT_TRUE(sys.poster.Send(m_pServer->m_hWnd, m_pServer->ReadNotice()));
        return SentSince(nBefore);
    }
    // Lets the retransmit timer fire after each dwStepMs for the given time; returns the sends.
    std::vector<CDatagram> RunTimer(uint32_t dwMs, uint32_t dwStepMs = 1000) {
        const size_t nBefore = m_pServer->m_sent.size();
        for (uint32_t t = 0; t < dwMs; t += dwStepMs) {
            sys.clock.Sleep(dwStepMs);
            sys.timers.Fire(sys.poster, TIMER_RETRANSMIT);
        }
        return SentSince(nBefore);
    }
    size_t CloseRequests() const { return sys.poster.Messages(WM_CLOSE).size(); }

    // Acknowledges until the jump arrives; returns the image bytes the unit received.
    Bytes RunToJump(const CSockAddr& unit) {
        Bytes received;
        uint16_t wExpected = 1;
        for (uint16_t wAck = 0;; ++wAck) {
            const auto out = Deliver(Ack(wAck), unit);
            EXPECT_EQ(out.size(), 1u);
            if (out.size() != 1) return received;
            const Bytes& p = out[0].bytes;
            EXPECT_EQ(out[0].addr, unit);
            if (p == kJump) return received;
            EXPECT_GE(p.size(), 5u) << "no empty block";
            EXPECT_LE(p.size(), 516u);
            EXPECT_EQ(p[1], 3);
            EXPECT_EQ(p[2] << 8 | p[3], wExpected++);
            received.insert(received.end(), p.begin() + 4, p.end());
            if (received.size() > m_image.size()) return received;
        }
    }

    CNetBootServer net{services, config,  image,     transfers,
                       reporter, reports, sys.front, [this] { net.Stop(); }};
    Bytes m_image;
    CFakeSocket* m_pServer = nullptr;
};

class WholeImage : public NetServerTest, public ::testing::WithParamInterface<size_t> {};

TEST_P(WholeImage, IsDeliveredByteForByteThenJumpThenCompleted) {
    const size_t nLength = GetParam();
    config.m_bTranCloseDone = true;
    Start(nLength);
    const CSockAddr unit = Unit(5);
    const auto out = Deliver(BootRequest("HV7A"), unit);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].bytes, kWriteRequest);
    EXPECT_EQ(out[0].addr, unit);
    EXPECT_EQ(StatusEvents(), Statuses{EBootStatus::TransferStarted});

    EXPECT_EQ(RunToJump(unit), m_image);
    EXPECT_EQ(transfers.Count(), 1u);
    EXPECT_TRUE(Deliver(Bytes{0, 4, 0, 0}, unit).empty()) << "the reply to the jump ends it";
    EXPECT_EQ(CloseRequests(), 1u) << "the last transfer is done: the window may close";
    EXPECT_EQ(transfers.Count(), 0u);
    EXPECT_EQ(sys.poster.LogLines(), (Lines{"HV7A: Starting Transfer", "HV7A: Sending Jump",
                                            "HV7A: Transmission completed."}));
    EXPECT_EQ(StatusEvents(),
              (Statuses{EBootStatus::TransferStarted, EBootStatus::TransferCompleted}));
    // What a record of the boot needs: who, from where, how much.
    const auto done = Last<CTransferCompleted>();
    ASSERT_TRUE(done);
    EXPECT_EQ(done->unit.strName, "HV7A");
    EXPECT_EQ((CSockAddr{done->unit.dwAddr, done->unit.wPort}), unit);
    EXPECT_EQ(done->unit.mac, (std::array<uint8_t, 6>{0x02, 0x4F, 0x52, 0, 0, 0}));
    EXPECT_EQ(done->nBytes, nLength);

    // Progress of slot 0 only on a change of the whole percent, ending at 100.
    std::vector<int64_t> arrPercent;
    for (const auto& m : sys.poster.Messages(WM_BOOT_PROGRESS))
        if (m.wParam == 0 && m.lParam >= 0) arrPercent.push_back(m.lParam);
    ASSERT_FALSE(arrPercent.empty());
    EXPECT_EQ(arrPercent.back(), 100);
    for (size_t i = 1; i < arrPercent.size(); ++i) EXPECT_GT(arrPercent[i], arrPercent[i - 1]);
}

// The timer and the send stamp both come from the same millisecond tick, read at slightly
// different moments of their handlers: a tick a few ms short must not push a resend a whole
// second later, while one a good part of a second short must. An answer restarts the count.
TEST_F(NetServerTest, TimerTickAFewMillisecondsEarlyStillResendsAndAnAnswerRestartsTheCount) {
    Start(3000);
    const CSockAddr unit = Unit(4);
    Deliver(BootRequest("SLOW"), unit);
    EXPECT_TRUE(RunTimer(700, 700).empty()) << "700 ms of silence is not yet a time-out";
    EXPECT_EQ(RunTimer(299, 299).size(), 1u) << "999 ms is the tick that was meant";
    EXPECT_EQ(RunTimer(2000).size(), 1u);  // and again 2 s later
    Deliver(Ack(0), unit);
    EXPECT_EQ(RunTimer(1000).size(), 1u) << "block 1 waits one second again, not four";
    EXPECT_EQ(sys.poster.LogLines().back(), "SLOW: Retransmit packet 1");
}

INSTANTIATE_TEST_SUITE_P(Sizes, WholeImage, ::testing::Values(9, 512, 1024, 1025, 70001));

// Silence after each kind of packet: resent at 1, 2, 4 and 8 s, each counted from the
// previous send, then given up 16 s later; also across a wrap of the tick counter.
struct SilenceCase {
    const char* pszName;
    int nAcks;  // acknowledgements before the unit falls silent
    uint32_t dwStartTick;
};

class Silence : public NetServerTest, public ::testing::WithParamInterface<SilenceCase> {};

TEST_P(Silence, ResendsFourTimesThenFails) {
    const SilenceCase& c = GetParam();
    sys.clock.m_dwNow = c.dwStartTick;
    config.m_bTranCloseDone = true;
    Start(1000);
    const CSockAddr unit = Unit(9);
    auto out = Deliver(BootRequest("MUTE"), unit);
    for (int i = 0; i < c.nAcks; ++i) out = Deliver(Ack(uint16_t(i)), unit);
    ASSERT_EQ(out.size(), 1u);
    const Bytes last = out[0].bytes;
    sys.poster.Clear();

    std::vector<uint32_t> arrResendAt;
    uint32_t dwElapsed = 0;
    while (transfers.Count() > 0 && dwElapsed < 40000) {
        dwElapsed += 1000;
        for (const auto& d : RunTimer(1000)) {
            EXPECT_EQ(d.bytes, last) << "a resend is the same packet";
            EXPECT_EQ(d.addr, unit);
            arrResendAt.push_back(dwElapsed);
        }
    }
    EXPECT_EQ(arrResendAt, (std::vector<uint32_t>{1000, 3000, 7000, 15000}));
    EXPECT_EQ(dwElapsed, 31000u) << "given up at the fifth time-out";
    EXPECT_EQ(
        sys.poster.LogLines(),
        (Lines{"MUTE: Retransmit packet 1", "MUTE: Retransmit packet 2",
               "MUTE: Retransmit packet 3", "MUTE: Retransmit packet 4", "MUTE: Failed Transfer"}));
    EXPECT_EQ(StatusEvents(), Statuses{EBootStatus::TransferFailed});
    const auto failed = Last<CTransferFailed>();
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->eReason, EFailReason::NoAcknowledgement);
    EXPECT_EQ(failed->dwElapsedMs, 31000u);
    EXPECT_EQ(failed->nBytes, std::min(512u * c.nAcks, 1000u));
    EXPECT_EQ(CloseRequests(), 0u) << "a failure never closes the program";
}

INSTANTIATE_TEST_SUITE_P(
    Packets, Silence,
    ::testing::Values(SilenceCase{"write request", 0, 1000}, SilenceCase{"first block", 1, 1000},
                      SilenceCase{"last block", 2, 5000}, SilenceCase{"jump", 3, 1000},
                      SilenceCase{"tick wraps", 1, 0xFFFFFF00u},
                      SilenceCase{"tick wraps before the end", 0, 0xFFFFFFFFu - 20000}),
    CaseName());

TEST_F(NetServerTest, UnknownAddressesOnlyStartTransfersWith64Bytes) {
    Start(2000);
    for (size_t nLen : {4u, 63u, 65u, 516u}) EXPECT_TRUE(Deliver(Bytes(nLen, 0), Unit(8)).empty());
    EXPECT_TRUE(sys.poster.m_msgs.empty()) << "dropped without a line";
    EXPECT_EQ(transfers.Count(), 0u);
}

struct FilterCase {
    int nNetType;
    const char* pszNetNode;
    uint8_t prefix[3];
    const char* pszName;
    const char* pszLog;  // the one log line
};

class Filter : public NetServerTest, public ::testing::WithParamInterface<FilterCase> {};

TEST_P(Filter, DecidesWhoIsServed) {
    const FilterCase& c = GetParam();
    Start(2000);
    config.m_nNetType = c.nNetType;
    config.m_strNetNode = c.pszNetNode;
    const auto out = Deliver(BootRequest(c.pszName, c.prefix), Unit(10));
    EXPECT_EQ(sys.poster.LogLines(), Lines{c.pszLog});
    const bool bServed = std::string(c.pszLog).find("Starting Transfer") != std::string::npos;
    EXPECT_EQ(transfers.Count(), bServed ? 1u : 0u);
    EXPECT_EQ(out.size(), bServed ? 1u : 0u);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Units, Filter,
    ::testing::Values(
        FilterCase{0, "", {0x00, 0x0A, 0xBC}, "X", "Non-ORX device. 0 a bc"},
        FilterCase{1, "ORXHV7410", {0x02, 0x4F, 0x53}, "ORXHV7410", "Non-ORX device. 2 4f 53"},
        FilterCase{0, "ORXHV7410", {0x02, 0x4F, 0x52}, "ANY", "ANY: Starting Transfer"},
        FilterCase{1, "ORXHV7410", {0x02, 0x4F, 0x52}, "orxhv7410", "orxhv7410: Starting Transfer"},
        FilterCase{1, "ORXHV7410", {0x02, 0x4F, 0x52}, "ORXHV7411", "ORX device 'ORXHV7411' boot request ignored."},
        FilterCase{1, "ORXHV7410", {0x02, 0x4F, 0x52}, "ORXHV741", "ORX device 'ORXHV741' boot request ignored."},
        FilterCase{1, "", {0x02, 0x4F, 0x52}, "ANY", "ANY: Starting Transfer"},
        FilterCase{2, "ORXHV7410", {0x02, 0x4F, 0x52}, "ANY", "ANY: Starting Transfer"},
        // The name is at most 16 bytes, and a unit's name must not put controls in the log.
        FilterCase{0, "", {0x02, 0x4F, 0x52}, "ABCDEFGHIJKLMNOPQRS", "ABCDEFGHIJKLMNOP: Starting Transfer"},
        FilterCase{0, "", {0x02, 0x4F, 0x52}, "A\x1b[2J\x9b\xff", "A?[2J??: Starting Transfer"}));
// clang-format on

// Six units at once, acknowledging in turn: lines follow a unit to its new slot when an earlier
// one leaves. That each unit gets its own bytes runs end to end (e2e net_boot, three units).
TEST_F(NetServerTest, SixUnitsAtOnce) {
    config.m_bTranCloseDone = true;
    Start(1300);
    for (uint8_t i = 0; i < 6; ++i) Deliver(BootRequest("U" + std::to_string(i)), Unit(20 + i));
    EXPECT_EQ(transfers.Count(), 6u);
    for (uint16_t wAck = 0; wAck < 3; ++wAck)
        for (uint8_t i = 0; i < 6; ++i) EXPECT_EQ(Deliver(Ack(wAck), Unit(20 + i)).size(), 1u);
    Deliver(Ack(3), Unit(20));  // U0: jump
    Deliver(Ack(4), Unit(20));  // U0: completed, U1 moves to slot 0
    EXPECT_EQ(CloseRequests(), 0u) << "five transfers still run";
    sys.poster.Clear();
    Deliver(Ack(3), Unit(21));  // U1: jump, from slot 0
    Deliver(Ack(3), Unit(25));  // U5: jump, from slot 4 now
    EXPECT_EQ(sys.poster.LogLines(), (Lines{"U1: Sending Jump", "U5: Sending Jump"}));
    EXPECT_EQ(transfers.Count(), 5u);
}

TEST_F(NetServerTest, SerialTransfersAreNeitherMatchedNorTimedHere) {
    Start(2000);
    AddSerialTransfer("COM1");
    // A datagram claiming the all-ones source finds no transfer and starts none.
    EXPECT_TRUE(Deliver(BootRequest("FAKE"), CSockAddr{INADDR_ALL_ONES, 980}).empty());
    EXPECT_TRUE(Deliver(Ack(0), CSockAddr{INADDR_ALL_ONES, 980}).empty());
    Deliver(BootRequest("NET"), Unit(3));
    EXPECT_EQ(sys.poster.LogLines().back(), "NET: Starting Transfer");
    RunTimer(40000);
    EXPECT_EQ(transfers.Count(), 1u) << "only the network transfer failed";
    EXPECT_EQ(sys.poster.LogLines().back(), "NET: Failed Transfer");
}

struct ArpCase {
    const char* pszName;
    bool bNetCache;
};

class Arp : public NetServerTest, public ::testing::WithParamInterface<ArpCase> {};

// The unit's address is cleared when its transfer completes or fails; the UI thread does
// not wait for the command (what becomes of it is CArpClearing's).
TEST_P(Arp, ClearedWithoutWaitingForTheCommand) {
    const ArpCase& c = GetParam();
    config.m_bNetCache = c.bNetCache;
    Start(600);
    auto Check = [&](const std::string& strLast, EBootStatus eStatus) {
        const std::vector<Lines> arrArp = {{"arp", "-d", "127.0.0.42"}};
        EXPECT_EQ(sys.process.m_calls, c.bNetCache ? arrArp : std::vector<Lines>{});
        EXPECT_EQ(sys.poster.LogLines().back(), strLast);
        EXPECT_EQ(StatusOf(sys.poster.Events().back()), eStatus) << "status event last";
        sys.process.EndAll();
        sys.poster.DeliverPending();
        sys.process.m_calls.clear();
        sys.poster.Clear();
    };
    const CSockAddr unit = Unit(42);
    Deliver(BootRequest("A"), unit);
    RunToJump(unit);
    Deliver(Ack(9), unit);
    Check("A: Transmission completed.", EBootStatus::TransferCompleted);

    Deliver(BootRequest("A"), unit);
    RunTimer(31000);
    Check("A: Failed Transfer", EBootStatus::TransferFailed);
}

INSTANTIATE_TEST_SUITE_P(Cache, Arp, ::testing::Values(ArpCase{"Off", false}, ArpCase{"On", true}),
                         CaseName());

// Beyond the bound a boot request costs nothing in the log. While a transfer is silent (its
// write request unanswered past the first time-out), requests get the write request and the
// last ones are held, as many as the bound; a held unit that answers takes the place of the
// oldest silent transfer. Otherwise they are not answered. One line a second counts both.
TEST_F(NetServerTest, BeyondTheBoundAnAnsweringUnitTakesThePlaceOfASilentTransfer) {
    net.SetMaxTransfers(3);
    Start(2000);
    Deliver(BootRequest("SILENT1"), Unit(1));
    Deliver(BootRequest("BUSY"), Unit(2));
    Deliver(Ack(0), Unit(2));
    Deliver(BootRequest("SILENT3"), Unit(3));
    sys.poster.Clear();
    EXPECT_TRUE(Deliver(BootRequest("EARLY"), Unit(9)).empty()) << "none silent for a second yet";
    RunTimer(1000);
    EXPECT_EQ(sys.poster.LogLines().front(),
              "Transfer limit 3 reached: 1 boot requests beyond it, 0 units taken on in place of "
              "silent transfers.");
    sys.poster.Clear();
    for (uint8_t i = 10; i < 60; ++i) {
        const auto out = Deliver(BootRequest("HELD" + std::to_string(i)), Unit(i));
        ASSERT_EQ(out.size(), 1u);
        EXPECT_EQ(out[0].bytes, kWriteRequest);
    }
    EXPECT_TRUE(sys.poster.m_msgs.empty()) << "no line, no event per request beyond the bound";
    EXPECT_TRUE(Deliver(Ack(0), Unit(56)).empty()) << "held no more";
    const auto out = Deliver(Ack(0), Unit(58));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].bytes.size(), 516u) << "the held unit gets its first block";
    Deliver(Ack(0), Unit(59));
    EXPECT_TRUE(Deliver(Ack(0), Unit(57)).empty()) << "every transfer has answered now";
    EXPECT_TRUE(Deliver(BootRequest("LATE"), Unit(60)).empty());
    EXPECT_EQ(sys.poster.LogLines(),
              (Lines{"SILENT1: Failed Transfer", "HELD58: Starting Transfer",
                     "SILENT3: Failed Transfer", "HELD59: Starting Transfer"}));
    EXPECT_EQ(StatusEvents(),
              (Statuses{EBootStatus::TransferFailed, EBootStatus::TransferStarted,
                        EBootStatus::TransferFailed, EBootStatus::TransferStarted}));
    EXPECT_EQ(Last<CTransferFailed>()->eReason, EFailReason::Displaced);
    sys.poster.Clear();
    RunTimer(1000);
    EXPECT_EQ(sys.poster.LogLines().front(),
              "Transfer limit 3 reached: 51 boot requests beyond it, 2 units taken on in place of "
              "silent transfers.");
}

// Lines anyone on the network can repeat at will: of each kind the first ten in a second go
// to the log as they are, and one line a second counts the rest. A datagram too large for
// the buffer is a receive error, and the unit it came from is served on.
TEST_F(NetServerTest, RepeatedLinesOfOneKindAreBoundedEachSecond) {
    Start(2000);
    Deliver(BootRequest("BIG"), Unit(2));
    sys.poster.Clear();
    const uint8_t arrOther[3] = {0x00, 0x11, 0x22};
    Lines expected;
    for (int i = 0; i < 25; ++i) {
        Deliver(BootRequest("X", arrOther), Unit(1));
        EXPECT_TRUE(Deliver(Bytes(1447, 0), Unit(2)).empty());
        if (i >= 10) continue;
        expected.push_back("Non-ORX device. 0 11 22");
        expected.push_back("Server Receive error: " + FormatErrorText(90));
    }
    EXPECT_EQ(sys.poster.LogLines(), expected);
    EXPECT_EQ(Deliver(Ack(0), Unit(2)).at(0).bytes.size(), 516u);
    sys.poster.Clear();
    sys.timers.Fire(sys.poster, TIMER_LEFT_OUT);
    EXPECT_EQ(sys.poster.LogLines(), (Lines{"15 more lines about receive errors were left out.",
                                            "15 more lines about refused devices were left out."}));
    sys.clock.Sleep(1000);
    Deliver(BootRequest("X", arrOther), Unit(1));
    sys.timers.Fire(sys.poster, TIMER_LEFT_OUT);
    EXPECT_EQ(sys.poster.LogLines().back(), "Non-ORX device. 0 11 22") << "a new second";
    EXPECT_EQ(sys.timers.Period(TIMER_LEFT_OUT), 0u) << "the timer stops when all is told";
}

// A read event still queued when the servers stop finds nothing to do.
TEST_F(NetServerTest, ReadEventAfterTheStopIsIgnored) {
    Start(100);
    m_pServer->m_incoming.push_back({BootRequest("A"), Unit(1)});
    net.Stop();
    sys.poster.Clear();
    sys.poster.Send(m_pServer->m_hWnd, m_pServer->ReadNotice());
    EXPECT_TRUE(sys.poster.m_msgs.empty());
    EXPECT_TRUE(m_pServer->m_sent.empty());
}

}  // namespace
