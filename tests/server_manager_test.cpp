#include <gtest/gtest.h>

#include "app/ORXBootApp.h"
#include "net/NetBootServer.h"
#include "tests/CaseName.h"
#include "tests/EngineRig.h"

namespace {

using Lines = std::vector<std::string>;

class ServerManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        app.AttachView(&sys.view);
        app.AttachFront(&sys.front);
        CORXBootConfig& config = app.Config();
        config.m_strBootFile = WriteFile(dir.Path("img.bin"), MakeImageBytes(2000));
        config.m_nBootNet = 1;
        config.m_nNetType = 1;
    }
    Lines Boxes() { return sys.front.PromptTexts(); }
    void Deliver(const std::vector<uint8_t>& bytes, const CSockAddr& from) {
        CFakeSocket* pServer = sys.sockets.Bound(BOOT_SERVER_PORT);
        ASSERT_NE(pServer, nullptr);
        pServer->m_incoming.push_back({bytes, from});
        EXPECT_TRUE(sys.poster.Send(pServer->m_hWnd, pServer->ReadNotice()));
    }
    CFakeSystem sys;
    CORXBootApp app{sys.Services()};
    CTempDir dir;
};

TEST_F(ServerManagerTest, UnloadableImageNamesFileAndReason) {
    app.Config().m_strBootFile = dir.Path("none.bin");
    app.Config().m_arrBootFiles = {dir.Path("none.bin"), "keep.bin"};
    EXPECT_FALSE(app.StartServers());
    const std::string strExpected =
        "Boot File '" + dir.Path("none.bin") + "' Failed Load: " + FormatErrorText(ENOENT);
    EXPECT_EQ(Boxes(), Lines{strExpected});
    EXPECT_EQ(app.Config().m_arrBootFiles, Lines{"keep.bin"});
    EXPECT_EQ(app.Config().m_strBootFile, dir.Path("none.bin"));
    // A file that is there but is no boot image says so, the code kept.
    app.Config().m_strBootFile =
        WriteFile(dir.Path("notes.bin"), {'h', 'e', 'l', 'l', 'o', ' ', 'u', 'n', 'i', 't'});
    EXPECT_FALSE(app.StartServers());
    EXPECT_EQ(Boxes().back(), "Boot File '" + dir.Path("notes.bin") +
                                  "' Failed Load: not a boot image: the file does not start "
                                  "with B000FF (1305)");
}

TEST_F(ServerManagerTest, NoMethodChosenIsSilentAndTheStopAfterItToo) {
    app.Config().m_nBootNet = 0;
    app.Config().m_nBootSerial = 0;
    EXPECT_FALSE(app.StartServers());
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(sys.poster.LogLines(),
              Lines{"Reading boot file '" + app.Config().m_strBootFile + "'."});
    app.StopServers();
    EXPECT_EQ(sys.poster.LogLines().size(), 1u);
}

struct CSocketFailure {
    const char* pszName;
    int32_t nNetType;
    int nFailCreateAt;  // which new socket fails to bind; -1: the network stack is missing
    std::string strText;
};

class SocketFailure : public ServerManagerTest,
                      public ::testing::WithParamInterface<CSocketFailure> {};

// Shown, logged, and the stop the caller makes then reports no halt: nothing ran.
TEST_P(SocketFailure, IsReportedWithItsErrorAndNothingRuns) {
    const CSocketFailure& c = GetParam();
    sys.sockets.m_nFailCreateAt = c.nFailCreateAt;
    CPlatformServices services = sys.Services();
    if (c.nFailCreateAt < 0) services.pSockets = nullptr;
    CORXBootApp other(services);
    other.AttachView(&sys.view);
    other.AttachFront(&sys.front);
    other.Config().m_strBootFile = app.Config().m_strBootFile;
    other.Config().m_nBootNet = 1;
    other.Config().m_nNetType = c.nNetType;
    EXPECT_FALSE(other.StartServers());
    EXPECT_EQ(Boxes(), Lines{c.strText});
    EXPECT_EQ(sys.poster.LogLines().back(), c.strText);
    EXPECT_EQ(sys.timers.m_timers.size(), 0u + (c.nFailCreateAt == 1));
    other.StopServers();
    EXPECT_EQ(sys.poster.LogLines().back(), c.strText);
    EXPECT_TRUE(sys.timers.m_timers.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Sockets, SocketFailure,
    ::testing::Values(
        CSocketFailure{"Broadcast", 0, 0, "Broadcast Socket error: " + FormatErrorText(98)},
        CSocketFailure{"ServerSecond", 0, 1, "Server Socket Create error: " + FormatErrorText(98)},
        CSocketFailure{"Server", 1, 0, "Server Socket Create error: " + FormatErrorText(98)},
        CSocketFailure{"NoNetworkStack", 1, -1, "TCP/IP failed to load"}),
    CaseName());

// Every network transfer the stop discards has its unit's address cleared, in list order,
// and the stop waits for each command until it ends or its own wait runs out, before
// "All servers halted". Each halted transfer is reported for the records, and for no face.
TEST_F(ServerManagerTest, StopDiscardsTransfersInOrderThenReportsHalted) {
    app.Config().m_bNetCache = true;
    sys.process.m_result = ERunResult::TimedOut;
    ASSERT_TRUE(app.StartServers());
    Deliver(BootRequest("UNIT2"), Unit(2));
    Deliver(BootRequest("UNIT3"), Unit(3));
    ASSERT_EQ(app.TransferCount(), 2u);
    sys.poster.Clear();
    app.StopServers();
    EXPECT_EQ(app.TransferCount(), 0u);
    EXPECT_EQ(sys.process.m_calls,
              (std::vector<Lines>{{"arp", "-d", "127.0.0.2"}, {"arp", "-d", "127.0.0.3"}}));
    EXPECT_FALSE(app.ServersRunning());
    EXPECT_TRUE(sys.timers.m_timers.empty());
    EXPECT_FALSE(sys.sockets.Bound(980)->IsOpen());
    EXPECT_TRUE(sys.process.m_pending.empty());
    EXPECT_EQ(sys.poster.LogLines(), (Lines{"Server Net ARP Wait Failed.",
                                            "Server Net ARP Wait Failed.", "All servers halted"}));
    Lines arrHalted;
    for (const CTransferHalted& halted : sys.poster.Of<CTransferHalted>())
        arrHalted.push_back(halted.unit.strName);
    EXPECT_EQ(arrHalted, (Lines{"UNIT2", "UNIT3"}));
    EXPECT_TRUE(std::holds_alternative<CServersHalted>(sys.poster.Events().back()));
    EXPECT_EQ(app.ImageSize(), 0u);
    sys.poster.Clear();
    app.StopServers();
    EXPECT_TRUE(sys.poster.m_msgs.empty());
}

// The terminal failing to open its port while Ethernet serves leaves the servers running.
// A start on that port fails once: the port's box, then the start's line, told as the same
// failure, so that a window shows one box.
TEST_F(ServerManagerTest, ATerminalPortThatFailsLeavesEthernetRunning) {
    ASSERT_TRUE(app.StartServers());
    EXPECT_FALSE(app.OpenSerialPort());
    ASSERT_EQ(sys.front.arrPrompts.size(), 1u);
    EXPECT_EQ(sys.front.arrPrompts[0].eKind, EPrompt::PortOpenFailed);
    EXPECT_FALSE(sys.front.arrPrompts[0].bFollowUp);
    EXPECT_TRUE(app.ServersRunning());
    sys.poster.Clear();
    app.StopServers();
    EXPECT_EQ(sys.poster.LogLines(), Lines{"All servers halted"});
    app.Config().m_nBootSerial = 1;
    EXPECT_FALSE(app.StartServers());
    ASSERT_EQ(sys.front.arrPrompts.size(), 3u);
    EXPECT_EQ(sys.front.arrPrompts[1].eKind, EPrompt::PortOpenFailed);
    EXPECT_EQ(sys.front.arrPrompts[2].eKind, EPrompt::StartFailed);
    EXPECT_TRUE(sys.front.arrPrompts[2].bFollowUp);
    EXPECT_EQ(sys.poster.LogLines().back(), sys.front.arrPrompts[2].strText);
}

// The window's mode switch: the sheet goes with the servers stopped, a new one comes and
// starts them again. Sockets and timers belong to the engine, so the new sheet is served.
TEST_F(ServerManagerTest, ANewViewAfterAStopIsServedAsTheFirst) {
    ASSERT_TRUE(app.StartServers());
    const HWND hEngine = sys.sockets.Bound(980)->m_hWnd;
    app.StopServers();
    app.AttachView(nullptr);
    CIgnoringView newSheet;
    app.AttachView(&newSheet);
    sys.poster.Clear();
    ASSERT_TRUE(app.StartServers());
    EXPECT_EQ(std::get<CLogLine>(sys.poster.Events().front()).strText, "")
        << "the log is cleared first";
    EXPECT_EQ(sys.sockets.Bound(980)->m_hWnd, hEngine);
    Deliver(BootRequest("AGAIN"), Unit(4));
    EXPECT_EQ(sys.poster.LogLines().back(), "AGAIN: Starting Transfer");
    sys.clock.Sleep(1000);
    EXPECT_TRUE(sys.timers.Fire(sys.poster, TIMER_RETRANSMIT));
    EXPECT_EQ(sys.poster.LogLines().back(), "AGAIN: Retransmit packet 1");
}

}  // namespace
