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
    reports.PostStatus(CServersStarted{});
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
        transfers.AddSent(p, nSent - transfers.Sent(p).value_or(0));
        reports.PostProgress(0);
    }
    reports.PostProgress(3);  // a slot with no transfer always reports -1
    reports.PostProgress(3);
    std::vector<std::string> arrPosted;
    for (const CSlotProgress& p : sys.poster.Of<CSlotProgress>())
        arrPosted.push_back(std::to_string(p.nSlot) + ":" + std::to_string(p.nPercent));
    EXPECT_EQ(arrPosted, (std::vector<std::string>{"0:0", "0:1", "0:99", "0:100", "3:-1", "3:-1"}));
}

TEST_F(ReportingTest, StatusEventRepostsEverySlotThenTheEvent) {
    ASSERT_TRUE(LoadImage(MakeImageBytes(1000)));
    CTransferNode* pFirst = AddSerialTransfer("COM1");
    transfers.AddSent(pFirst, 500);
    AddSerialTransfer("UNIT7");
    reports.PostStatus(CTransferStarted{pFirst->Unit(), 1000});
    std::vector<std::string> seen;
    for (const CBootEvent& e : sys.poster.Events()) {
        if (const auto* p = std::get_if<CSlotLabel>(&e))
            seen.push_back("label " + std::to_string(p->nSlot) + " " + p->strName);
        else if (const auto* p = std::get_if<CSlotProgress>(&e))
            seen.push_back("progress " + std::to_string(p->nSlot) + " " +
                           std::to_string(p->nPercent));
        else if (const auto* p = std::get_if<CTransferStarted>(&e))
            seen.push_back("started " + p->unit.strName);
    }
    const std::vector<std::string> expected = {"label 0 COM1",  "progress 0 50", "label 1 UNIT7",
                                               "progress 1 0",  "label 2 ",      "progress 2 -1",
                                               "label 3 ",      "progress 3 -1", "label 4 ",
                                               "progress 4 -1", "started COM1"};
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
        void OnBootEvent(const CBootEvent& e) override { arr.push_back(*ShownText(e)); }
        std::vector<std::string> arr;
    } oldView, newView;
    reporter.AttachView(&oldView);
    reporter.LogMessage("queued for the old sheet");
    reporter.AttachView(&newView);
    reporter.LogMessage("for the new sheet");
    EXPECT_TRUE(newView.arr.empty());
    sys.poster.DeliverPending();
    EXPECT_TRUE(oldView.arr.empty());
    EXPECT_EQ(newView.arr, std::vector<std::string>{"for the new sheet"});
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
