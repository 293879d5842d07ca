#include <gtest/gtest.h>

#include "Fakes.h"
#include "TestImage.h"
#include "net/TransferNode.h"

namespace {

class ReportingTest : public ::testing::Test {
protected:
    void SetUp() override { app.AttachView(&sys.view); }
    CTransferNode* AddSerial(const std::string& strName) {
        auto p = std::make_unique<CTransferNode>(CSockAddr{INADDR_ALL_ONES, 0}, strName, sys.clock);
        CTransferNode* pRaw = p.get();
        app.AddTransfer(std::move(p));
        return pRaw;
    }
    void LoadImage(size_t nLength) {
        ASSERT_TRUE(
            app.m_file.Load(WriteFile(dir.Path("img.bin"), MakeImageBytes(nLength)), nullptr));
    }
    CFakeSystem sys;
    CORXBootApp app{sys.Services()};
    CTempDir dir;
};

TEST_F(ReportingTest, NothingIsPostedWithoutTheMainWindow) {
    app.AttachView(nullptr);
    AddSerial("COM1");
    app.LogMessage("hello %d", 1);
    app.LogTransferMessage(0, "x");
    app.PostProgress(0);
    app.PostStatusEvent(BOOT_EVENT_TRANSFER_STARTED);
    EXPECT_TRUE(sys.poster.m_msgs.empty());
}

TEST_F(ReportingTest, LogLinesGetCrLfButTheEmptyTextClearsTheLog) {
    app.LogMessage("Reading boot file '%s'.", "a.bin");
    app.LogMessage("%s", "");
    auto msgs = sys.poster.Messages(WM_BOOT_TEXT);
    ASSERT_EQ(msgs.size(), 2u);
    EXPECT_EQ(msgs[0].wParam, BOOT_SLOT_LOG);
    EXPECT_EQ(msgs[0].strText, "Reading boot file 'a.bin'.\r\n");
    EXPECT_EQ(msgs[1].strText, "");
}

TEST_F(ReportingTest, TransferLinesNeedAValidSlot) {
    AddSerial("COM1");
    AddSerial("UNIT7");
    app.LogTransferMessage(3, "Starting Transfer");
    app.LogTransferMessage(-1, "Starting Transfer");
    EXPECT_TRUE(sys.poster.m_msgs.empty());
    app.LogTransferMessage(1, "Retransmit packet %d", 2);
    auto msgs = sys.poster.Messages(WM_BOOT_TEXT);
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].wParam, BOOT_SLOT_LOG);
    EXPECT_EQ(msgs[0].strText, "UNIT7: Retransmit packet 2\r\n");
}

TEST_F(ReportingTest, ProgressIsRoundedAndPostedOnlyOnChange) {
    LoadImage(1000);
    CTransferNode* p = AddSerial("COM1");
    struct Row {
        uint32_t nSent;
        int64_t nExpected;  // -2: nothing posted
    } rows[] = {{4, 0}, {4, -2}, {5, 1}, {994, 99}, {995, 100}, {1000, -2}};
    for (const Row& r : rows) {
        sys.poster.Clear();
        p->m_nSent = r.nSent;
        app.PostProgress(0);
        auto msgs = sys.poster.Messages(WM_BOOT_PROGRESS);
        if (r.nExpected == -2) {
            EXPECT_TRUE(msgs.empty()) << r.nSent;
        } else {
            ASSERT_EQ(msgs.size(), 1u) << r.nSent;
            EXPECT_EQ(msgs[0].wParam, 0);
            EXPECT_EQ(msgs[0].lParam, r.nExpected) << r.nSent;
        }
    }
    // A slot with no transfer always reports -1.
    sys.poster.Clear();
    app.PostProgress(3);
    app.PostProgress(3);
    auto msgs = sys.poster.Messages(WM_BOOT_PROGRESS);
    ASSERT_EQ(msgs.size(), 2u);
    EXPECT_EQ(msgs[1].lParam, -1);
}

TEST_F(ReportingTest, StatusEventRepostsEverySlotThenTheCode) {
    LoadImage(1000);
    AddSerial("COM1")->m_nSent = 500;
    AddSerial("UNIT7");
    app.PostStatusEvent(BOOT_EVENT_TRANSFER_STARTED);
    std::vector<std::string> seen;
    for (const auto& [h, m] : sys.poster.m_msgs) {
        if (m.nMsg == WM_BOOT_TEXT)
            seen.push_back("T" + std::to_string(m.wParam) + ":" + m.strText);
        else
            seen.push_back("P" + std::to_string(m.wParam) + ":" + std::to_string(m.lParam));
    }
    const std::vector<std::string> expected = {"T0:COM1\r\n", "P0:50", "T1:UNIT7\r\n", "P1:0",
                                               "T2:",         "P2:-1", "T3:",          "P3:-1",
                                               "T4:",         "P4:-1", "T-2:"};
    EXPECT_EQ(seen, expected);
}

TEST_F(ReportingTest, OnlyTheLastCompletionClosesTheWindow) {
    app.m_config.m_bTranCloseDone = true;
    CTransferNode* p = AddSerial("COM1");
    app.PostStatusEvent(BOOT_EVENT_TRANSFER_DONE);
    EXPECT_TRUE(sys.poster.Messages(WM_CLOSE).empty());
    app.DestroyTransfer(app.RemoveTransfer(p));
    app.PostStatusEvent(BOOT_EVENT_TRANSFER_FAILED);
    EXPECT_TRUE(sys.poster.Messages(WM_CLOSE).empty());
    app.PostStatusEvent(BOOT_EVENT_TRANSFER_DONE);
    EXPECT_EQ(sys.poster.Messages(WM_CLOSE).size(), 1u);

    sys.poster.Clear();
    app.m_config.m_bTranCloseDone = false;
    app.PostStatusEvent(BOOT_EVENT_TRANSFER_DONE);
    EXPECT_TRUE(sys.poster.Messages(WM_CLOSE).empty());
}

TEST_F(ReportingTest, SerialFormatNeedsRunningServersAndATerminal) {
    app.PostSerialFormat("<%0x>", 0x32);
    EXPECT_TRUE(sys.poster.m_msgs.empty());  // no terminal yet
    app.AttachTerminal(&sys.view);
    app.PostSerialFormat("<%0x>", 0x32);
    EXPECT_TRUE(sys.poster.m_msgs.empty());  // servers stopped
    app.m_bServersRunning = true;
    app.PostSerialFormat("<%0x>", 0x0a);
    const uint8_t raw[] = {0x00, 0xFF};
    app.PostSerialText(raw, 2);
    auto msgs = sys.poster.Messages(WM_SERIAL_TEXT);
    ASSERT_EQ(msgs.size(), 2u);
    EXPECT_EQ(std::string(msgs[0].bytes.begin(), msgs[0].bytes.end()), "<a>");
    EXPECT_EQ(msgs[1].wParam, 2);
    EXPECT_EQ(msgs[1].bytes, std::vector<uint8_t>({0x00, 0xFF}));
}

TEST(FormatErrorTextTest, KnownUnknownAndZeroCodes) {
    EXPECT_EQ(FormatErrorText(0), "No Error Code");
    EXPECT_EQ(FormatErrorText(1234567), "Error Code: (1234567)");
    EXPECT_EQ(FormatErrorText(1305), "The revision level is unknown. (1305)");
    // errno texts come from the system; the code follows in parentheses.
    const std::string str = FormatErrorText(2);
    EXPECT_NE(str.find("(2)"), std::string::npos);
    EXPECT_NE(str.rfind("Error Code:", 0), 0u);
}

}  // namespace
