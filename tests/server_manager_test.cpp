#include <gtest/gtest.h>

#include "Fakes.h"
#include "TestImage.h"
#include "net/TransferNode.h"

namespace {

class ServerManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        app.AttachView(&sys.view);
        app.m_bSocketsAvailable = true;
        app.m_config.m_strBootFile = WriteFile(dir.Path("img.bin"), MakeImageBytes(2000));
        app.m_config.m_nBootNet = 1;
        app.m_config.m_nNetType = 1;
    }
    std::vector<std::string> Boxes() {
        std::vector<std::string> out;
        for (const auto& [t, n] : sys.box.m_shown) out.push_back(t);
        return out;
    }
    CFakeSystem sys;
    CORXBootApp app{sys.Services()};
    CTempDir dir;
};

TEST_F(ServerManagerTest, EmptyBootFileIsReportedOnceAndOpensNothing) {
    app.m_config.m_strBootFile.clear();
    EXPECT_FALSE(app.StartServers());
    EXPECT_EQ(Boxes(), std::vector<std::string>{"No boot file has been selected."});
    EXPECT_EQ(sys.poster.LogLines(), std::vector<std::string>{"No boot file has been selected."});
    EXPECT_TRUE(sys.sockets.m_made.empty());
    EXPECT_FALSE(app.m_bServersRunning);
}

TEST_F(ServerManagerTest, UnloadableImageNamesFileAndReason) {
    app.m_config.m_strBootFile = dir.Path("none.bin");
    app.m_config.m_arrBootFiles = {dir.Path("none.bin"), "keep.bin"};
    EXPECT_FALSE(app.StartServers());
    const std::string strExpected =
        "Boot File '" + dir.Path("none.bin") + "' Failed Load: " + FormatErrorText(ENOENT);
    EXPECT_EQ(Boxes(), std::vector<std::string>{strExpected});
    EXPECT_EQ(app.m_config.m_arrBootFiles, std::vector<std::string>{"keep.bin"});
    EXPECT_EQ(app.m_config.m_strBootFile, dir.Path("none.bin"));
}

TEST_F(ServerManagerTest, NoMethodChosenIsSilentAndTheStopAfterItToo) {
    app.m_config.m_nBootNet = 0;
    app.m_config.m_nBootSerial = 0;
    EXPECT_FALSE(app.StartServers());
    EXPECT_TRUE(sys.box.m_shown.empty());
    const auto lines = sys.poster.LogLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "Reading boot file '" + app.m_config.m_strBootFile + "'.");
    app.StopServers();
    EXPECT_EQ(sys.poster.LogLines().size(), 1u);
}

TEST_F(ServerManagerTest, NetworkStartOpensPort980AndTheRetransmitTimer) {
    ASSERT_TRUE(app.StartServers());
    CFakeSocket* pServer = sys.sockets.Bound(980);
    ASSERT_NE(pServer, nullptr);
    EXPECT_EQ(pServer->m_nMsg, WM_BOOT_SOCKET);
    EXPECT_TRUE(sys.poster.IsWindow(pServer->m_hWnd));
    EXPECT_EQ(sys.timers.Period(TIMER_RETRANSMIT), 1000u);
    EXPECT_EQ(sys.timers.Period(TIMER_BROADCAST), 0u);
    EXPECT_EQ(sys.sockets.Bound(100), nullptr);
    const auto lines = sys.poster.LogLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "Server waiting for boot request...");
    EXPECT_TRUE(app.m_bServersRunning);
    auto texts = sys.poster.Messages(WM_BOOT_TEXT);
    EXPECT_EQ(texts.front().strText, "");  // the log is cleared first
    EXPECT_EQ(texts.back().wParam, BOOT_EVENT_SERVERS_STARTED);
}

TEST_F(ServerManagerTest, SocketFailuresAreReportedWithTheirError) {
    sys.sockets.m_nFailCreateAt = 0;
    EXPECT_FALSE(app.StartServers());
    const std::string strExpected = "Server Socket Create error: " + FormatErrorText(98);
    EXPECT_EQ(Boxes(), std::vector<std::string>{strExpected});
    EXPECT_EQ(sys.poster.LogLines().back(), strExpected);
    app.StopServers();
    EXPECT_EQ(sys.poster.LogLines().back(), strExpected);  // never ran: no "halted"

    app.m_bSocketsAvailable = false;
    EXPECT_FALSE(app.StartServers());
    EXPECT_EQ(Boxes().back(), "TCP/IP failed to load");
}

TEST_F(ServerManagerTest, StopDiscardsTransfersInOrderThenReportsHalted) {
    app.m_config.m_bNetCache = true;
    ASSERT_TRUE(app.StartServers());
    for (uint8_t b : {2, 3}) {
        app.AddTransfer(std::make_unique<CTransferNode>(CSockAddr{0x0100007Fu | (b << 24), 5000},
                                                        "UNIT" + std::to_string(b), sys.clock));
    }
    sys.poster.Clear();
    app.StopServers();
    EXPECT_EQ(app.TransferCount(), 0u);
    EXPECT_FALSE(app.m_bServersRunning);
    EXPECT_TRUE(sys.timers.m_timers.empty());
    EXPECT_FALSE(sys.sockets.Bound(980)->IsOpen());
    EXPECT_EQ(sys.poster.LogLines(), std::vector<std::string>{"All servers halted"});
    EXPECT_EQ(sys.poster.Messages(WM_BOOT_TEXT).back().wParam, BOOT_EVENT_SERVERS_HALTED);
    EXPECT_EQ(app.m_file.Length(), 0u);
    sys.poster.Clear();
    app.StopServers();
    EXPECT_TRUE(sys.poster.m_msgs.empty());
}

TEST_F(ServerManagerTest, SlotsCloseUpWhenATransferLeaves) {
    std::vector<CTransferNode*> nodes;
    for (int i = 0; i < 3; ++i) {
        auto p = std::make_unique<CTransferNode>(CSockAddr{INADDR_ALL_ONES, 0},
                                                 "COM" + std::to_string(i + 1), sys.clock);
        nodes.push_back(p.get());
        EXPECT_EQ(app.AddTransfer(std::move(p)), i);
    }
    auto pGone = app.RemoveTransfer(nodes[0]);
    ASSERT_NE(pGone, nullptr);
    EXPECT_EQ(app.FindTransferSlot(nodes[0]), -1);
    EXPECT_EQ(app.FindTransferSlot(nodes[2]), 1);
    EXPECT_EQ(app.RemoveTransfer(nodes[0]), nullptr);
    app.DestroyTransfer(std::move(pGone));
}

}  // namespace
