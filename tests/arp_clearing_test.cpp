// Clearing ARP entries when many transfers end at once: the machine keeps its processes and
// the event loop its turns, and a stop waits only for what it may.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include "net/ArpClearing.h"
#include "net/LogLimit.h"
#include "tests/EngineRig.h"

namespace {
using Lines = std::vector<std::string>;

class ArpClearingTest : public ::testing::Test, public CEngineRig {
protected:
    static uint32_t Addr(uint32_t n) { return htonl(0x0A000000u + n); }  // 10.0.0.0 + n
    size_t Started() const { return sys.process.m_calls.size(); }

    CLogLimiter log{reporter, sys.clock, sys.poster, sys.timers};
    CArpClearing arp{sys.process, sys.poster, sys.clock, log};
};

// Every address is cleared once, in order, although a flood asks for the waiting ones again;
// never more than four commands run, and a turn of the event loop starts at most one.
TEST_F(ArpClearingTest, AFloodRunsAFewAtATimeOnePerTurnEachAddressOnce) {
    for (uint32_t n = 1; n <= 100; ++n) arp.Clear(Addr(n));
    for (uint32_t n = 2; n <= 100; ++n) arp.Clear(Addr(n));
    EXPECT_EQ(Started(), 1u) << "one start in the turn that asked for all";
    size_t nTurns = 0;
    while (Started() < 100 && nTurns < 1000) {
        const size_t nBefore = Started();
        if (!sys.poster.DeliverOne()) sys.process.WaitForNextEnd();  // idle: a command ends
        ++nTurns;
        EXPECT_LE(Started() - nBefore, 1u);
        EXPECT_LE(sys.process.m_pending.size(), CArpClearing::MAX_RUNNING);
    }
    sys.process.EndAll();
    ASSERT_EQ(Started(), 100u);
    for (uint32_t n = 1; n <= 100; ++n)
        EXPECT_EQ(sys.process.m_calls[n - 1], (Lines{"arp", "-d", DottedAddress(Addr(n))}));
    EXPECT_EQ(sys.process.m_dwLastWait, 5000u);
    EXPECT_EQ(arp.Running(), 0u);
}

// Commands that outlive their five seconds are told once each and keep their place until
// they end, so that a machine where "arp" hangs does not fill up with them.
TEST_F(ArpClearingTest, CommandsOutlivingTheirWaitHoldTheirPlaceUntilTheyEnd) {
    sys.process.m_result = ERunResult::TimedOut;
    for (uint32_t n = 1; n <= 6; ++n) arp.Clear(Addr(n));
    sys.poster.DeliverPending();
    sys.process.EndAll();
    sys.poster.DeliverPending();
    EXPECT_EQ(Started(), 4u);
    EXPECT_EQ(sys.poster.LogLines(), Lines(4, "Server Net ARP Wait Failed."));
    sys.process.EndLate();
    sys.poster.DeliverPending();
    EXPECT_EQ(Started(), 6u);
}

// A command that cannot start is told and the rest go on; the queue has a bound, beyond
// which an address is told as not cleared.
TEST_F(ArpClearingTest, WhatCannotStartOrWaitIsToldAndTheRestGoOn) {
    sys.process.m_bFailStart = true;
    arp.Clear(Addr(1));
    sys.process.m_bFailStart = false;
    for (uint32_t n = 2; n <= CArpClearing::MAX_WAITING + 2; ++n) arp.Clear(Addr(n));
    EXPECT_EQ(arp.Waiting(), CArpClearing::MAX_WAITING);
    EXPECT_EQ(sys.poster.LogLines(), (Lines{"Server Net ARP Call Failed: " + FormatErrorText(2),
                                            "Server Net ARP Call Failed: " + FormatErrorText(11)}));
    sys.poster.DeliverPending();
    EXPECT_EQ(Started(), 1u + CArpClearing::MAX_RUNNING) << "the queue goes on";
}

// The stop starts what waits, up to four at a time, for a short while, waits for every
// command started until it ends or its wait runs out, and drops what is left.
TEST_F(ArpClearingTest, TheStopClearsWhatItCanInItsTimeAndWaitsForWhatItStarted) {
    for (uint32_t n = 1; n <= 40; ++n) arp.Clear(Addr(n));
    sys.process.m_fnOnWait = [this] { sys.clock.Sleep(CArpClearing::FINISH_MS / 5); };
    arp.Finish();
    EXPECT_TRUE(sys.process.m_pending.empty()) << "every command started was waited for";
    EXPECT_EQ(arp.Waiting(), 0u);
    EXPECT_EQ(arp.Running(), 0u);
    // Four at once, then one more as each of the first four ends within the stop's time.
    EXPECT_EQ(Started(), 4u + 4u);
    sys.poster.DeliverPending();
    arp.Clear(Addr(1));
    EXPECT_EQ(Started(), 9u) << "the next run clears again";
}

}  // namespace
