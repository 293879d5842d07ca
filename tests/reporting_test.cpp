#include <gtest/gtest.h>

#include "tests/EngineRig.h"
#include "tests/SerialTestUtil.h"

namespace {

class ReportingTest : public ::testing::Test, public CEngineRig {};

TEST_F(ReportingTest, NothingIsPostedWithoutTheMainWindow) {
    reporter.AttachView(nullptr);
    AddSerialTransfer("COM1");
    reporter.LogMessage("hello %d", 1);
    reports.LogTransferMessage(0, "x");
    reports.PostProgress(0);
    reports.PostStatusEvent(BOOT_EVENT_TRANSFER_STARTED);
    EXPECT_TRUE(sys.poster.m_msgs.empty());
}

// The lines of valid slots show in every server's tests.
TEST_F(ReportingTest, TransferLinesNeedAValidSlot) {
    AddSerialTransfer("COM1");
    AddSerialTransfer("UNIT7");
    reports.LogTransferMessage(2, "Starting Transfer");
    reports.LogTransferMessage(-1, "Starting Transfer");
    EXPECT_TRUE(sys.poster.m_msgs.empty());
}

TEST_F(ReportingTest, ProgressIsRoundedAndPostedOnlyOnChange) {
    ASSERT_TRUE(LoadImage(MakeImageBytes(1000)));
    CTransferNode* p = AddSerialTransfer("COM1");
    for (uint32_t nSent : {4, 4, 5, 994, 995, 1000}) {
        p->m_nSent = nSent;
        reports.PostProgress(0);
    }
    reports.PostProgress(3);  // a slot with no transfer always reports -1
    reports.PostProgress(3);
    std::vector<std::string> arrPosted;
    for (const auto& m : sys.poster.Messages(WM_BOOT_PROGRESS))
        arrPosted.push_back(std::to_string(m.wParam) + ":" + std::to_string(m.lParam));
    EXPECT_EQ(arrPosted, (std::vector<std::string>{"0:0", "0:1", "0:99", "0:100", "3:-1", "3:-1"}));
}

TEST_F(ReportingTest, StatusEventRepostsEverySlotThenTheCode) {
    ASSERT_TRUE(LoadImage(MakeImageBytes(1000)));
    AddSerialTransfer("COM1")->m_nSent = 500;
    AddSerialTransfer("UNIT7");
    reports.PostStatusEvent(BOOT_EVENT_TRANSFER_STARTED);
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

TEST(SerialReportingTest, SerialFormatNeedsRunningServersAndATerminal) {
    CSerialTestApp t;
    CEventReporter& reporter = t.reporter;
    CFakePoster& poster = t.sys.poster;
    reporter.AttachTerminal(nullptr);
    t.bServersRunning = false;
    t.server.PostSerialFormat("<%0x>", 0x32);
    EXPECT_TRUE(poster.m_msgs.empty());  // no terminal yet
    reporter.AttachTerminal(&t.sys.view);
    t.server.PostSerialFormat("<%0x>", 0x32);
    EXPECT_TRUE(poster.m_msgs.empty());  // servers stopped
    t.bServersRunning = true;
    t.server.PostSerialFormat("<%0x>", 0x0a);
    const uint8_t raw[] = {0x00, 0xFF};
    reporter.PostSerialText(raw, 2);
    auto msgs = poster.Messages(WM_SERIAL_TEXT);
    ASSERT_EQ(msgs.size(), 2u);
    EXPECT_EQ(std::string(msgs[0].bytes.begin(), msgs[0].bytes.end()), "<a>");
    EXPECT_EQ(msgs[1].wParam, 2);
    EXPECT_EQ(msgs[1].bytes, std::vector<uint8_t>({0x00, 0xFF}));
}

// A face rebuilt between two reports: what was queued for the old one is dropped with it,
// the new one gets only what comes after, and a report reaches a view on delivery only.
TEST_F(ReportingTest, ReportsFollowTheAttachedView) {
    struct CRecorder : CIgnoringView {
        void OnBootText(int nWParam, const std::string& str) override {
            arr.push_back(std::to_string(nWParam) + ":" + str);
        }
        std::vector<std::string> arr;
    } oldView, newView;
    reporter.AttachView(&oldView);
    reporter.LogMessage("queued for the old sheet");
    reporter.AttachView(&newView);
    reporter.LogMessage("for the new sheet");
    EXPECT_TRUE(newView.arr.empty());
    sys.poster.DeliverPending();
    EXPECT_TRUE(oldView.arr.empty());
    EXPECT_EQ(newView.arr, std::vector<std::string>{"-1:for the new sheet\r\n"});
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
