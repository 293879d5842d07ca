// Serving a port: relaying, request search, and the menu keys typed at the prompt.
#include <gtest/gtest.h>

#include "serial/SerialRequest.h"
#include "tests/CaseName.h"
#include "tests/SerialTestUtil.h"

namespace {

using Bytes = std::vector<uint8_t>;

// The shortest request; nDelta spoils its checksum.
std::string Request(int nDelta = 0) {
    uint8_t buf[SERIAL_REQUEST_MAX];
    return std::string(buf, buf + BuildSerialBootRequest(buf, sizeof buf, 0, nullptr, nDelta));
}

// Runs the port's serving loop on this thread until the unit is "unplugged" at dwEndMs.
class SerialServe : public ::testing::Test {
protected:
    CSerialTestApp t;
    std::unique_ptr<CTransferSerial> pPort;
    CFakeSerialDevice* pDev = nullptr;
    uint32_t dwStart = 0;

    void SetUp() override {
        ASSERT_TRUE(t.LoadImage(MakeImageBytes(std::vector<CImageRecord>{})));
        pPort = std::make_unique<CTransferSerial>(t.server, "COM1", 115200, false);
        pDev = t.serial.Last();
        dwStart = t.sys.clock.GetTickCount();
    }
    void FeedAt(uint32_t dwMs, const std::string& str) { pDev->Feed(str, dwStart + dwMs); }
    void Serve(uint32_t dwEndMs = 60000) {
        pDev->m_dwFailAt = dwStart + dwEndMs;
        EXPECT_EQ(t.server.ServeSerialPort(*pPort->LineWithoutWorker()), 0);
        EXPECT_FALSE(pPort->IsOpen());
        // The unplugging is told last, in the log and on the terminal; the cases look at
        // what came before.
        std::lock_guard<std::mutex> g(t.sys.poster.m_lock);
        auto& msgs = t.sys.poster.m_msgs;
        ASSERT_GE(msgs.size(), 2u);
        const std::vector<uint8_t>& note = msgs.back().second.bytes;
        EXPECT_EQ(std::string(note.begin(), note.end()),
                  "\r\n*** Serial port 'COM1' stopped: Input/output error (5) ***\r\n");
        EXPECT_EQ(
            std::get<CLogLine>(std::any_cast<CBootEvent>(msgs[msgs.size() - 2].second.payload))
                .strText,
            "COM1: Input/output error (5)");
        msgs.resize(msgs.size() - 2);
    }
    std::string Written() {
        const Bytes b = pDev->Written();
        return std::string(b.begin(), b.end());
    }
};

TEST_F(SerialServe, StoppedServersOnlyRelay) {
    t.bServersRunning = false;
    t.config.m_nComAutoMenu = 1;
    const std::string input = "Press any key\r\n" + Request();
    FeedAt(0, input);
    Serve();
    EXPECT_EQ(t.TerminalText(), input);
    EXPECT_EQ(Written(), "");
    EXPECT_TRUE(t.StatusEvents().empty());
}

TEST_F(SerialServe, RequestInsideAReadStartsTheDownloadAndHidesWhatFollows) {
    FeedAt(0, "0123456789" + Request() + "after-request");
    Serve();
    const std::string str = t.TerminalText();
    EXPECT_EQ(str.substr(0, 10), "0123456789");
    EXPECT_EQ(str.find("after-request"), std::string::npos);
    EXPECT_NE(str.find("<Entry point is 80001000>"), std::string::npos);
    EXPECT_EQ(t.StatusEvents(), (std::vector<EBootStatus>{EBootStatus::TransferStarted,
                                                          EBootStatus::TransferCompleted}));
    EXPECT_EQ(pDev->Written().size(), 27u);
}

TEST_F(SerialServe, ChecksumMismatchStartsNothingAndTheReadIsShown) {
    const std::string input = Request(-1) + "ok\r\n";
    FeedAt(0, input);
    Serve();
    // The log line and that nothing starts are e2e.serial_boot's (three_ports, COM3).
    EXPECT_EQ(t.TerminalText(), input);
}

TEST_F(SerialServe, SecondSyncByteInTheSameReadIsTried) {
    FeedAt(0, std::string("\xAA\x55\x00-", 4) + Request());
    Serve();
    EXPECT_EQ(t.StatusEvents(), (std::vector<EBootStatus>{EBootStatus::TransferStarted,
                                                          EBootStatus::TransferCompleted}));
    EXPECT_EQ(t.TerminalChunks().front(), std::string("\xAA\x55\x00-", 4));
}

struct CMenuCase {
    const char* pszName;
    int nBootNet;
    bool bDhcp;
    uint32_t dwIp;    // host order for readability
    uint32_t dwMask;  // host order
    bool bSockets;
    std::string strKeys;
    std::string strEcho;
};

class MenuKeys : public SerialServe, public ::testing::WithParamInterface<CMenuCase> {};

TEST_P(MenuKeys, PromptTypesTheConfiguredKeys) {
    const CMenuCase& c = GetParam();
    t.config.m_nComAutoMenu = 1;
    t.config.m_nBootNet = c.nBootNet;
    t.config.m_bNetDhcp = c.bDhcp;
    t.config.m_dwNetIp = __builtin_bswap32(c.dwIp);
    t.config.m_dwNetIpMask = __builtin_bswap32(c.dwMask);
    t.services.pSockets = c.bSockets ? &t.sys.sockets : nullptr;
    FeedAt(0, "HV7 loader 2.1\r\nPress any key to enter the boot menu\r\n");
    Serve();
    EXPECT_EQ(Written(), c.strKeys);
    // The read that held the prompt is not shown; the keys' echoes are.
    EXPECT_EQ(t.TerminalText(), c.strEcho);
    EXPECT_EQ(t.sys.poster.LogLines(),
              (std::vector<std::string>{"COM1: Serial Boot detected.",
                                        "COM1: Serial Boot command sent."}));
    // Each key and text is followed by a listen of 300 ms.
    EXPECT_GE(t.sys.clock.GetTickCount() - dwStart, 300u * pDev->Writes().size());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    SerialServe, MenuKeys,
    ::testing::Values(
        CMenuCase{"SerialOnly", 0, false, 0, 0, true, "\n21xD", "<a><32><31><78><44>"},
        CMenuCase{"FixedAddressOnly", 1, false, 0x0A000007, 0, true, "\n22x31x410.0.0.7\rYD", "<a><32><32><78><33><31><78><34><10.0.0.7><d><59><44>"},
        CMenuCase{"MaskOnly", 1, false, 0, 0xFFFFFF00, true, "\n22x31x5255.255.255.0\rYD", "<a><32><32><78><33><31><78><35><255.255.255.0><d><59><44>"},
        CMenuCase{"AddressAndMask", 1, false, 0xC0A80114, 0xFFFF0000, true, "\n22x31x4192.168.1.20\rY5255.255.0.0\rYD",
                  "<a><32><32><78><33><31><78><34><192.168.1.20><d><59><35><255.255.0.0><d><59><44>"},
        CMenuCase{"NoNetworkStack", 1, false, 0x0A000007, 0, false, "\n22xD", "<a><32><32><78><44>"}),
    CaseName());
// clang-format on

TEST_F(SerialServe, UnitAnswersDuringTheListenAreShown) {
    t.config.m_nComAutoMenu = 1;
    pDev->m_onWrite = [](CFakeSerialDevice& d, const Bytes& b) {
        if (b == Bytes{'D'}) d.Feed("boot!");
    };
    FeedAt(0, "Press any key\r\n");
    Serve();
    EXPECT_EQ(t.TerminalText(), "<a><32><31><78><44>boot!");
}

struct CLineCase {
    const char* pszName;
    std::vector<std::pair<uint32_t, std::string>> input;  // (ms, bytes)
    std::string strShown;
    std::string strTyped;
    int nAutoMenu = 1;
};

class LineCompletion : public SerialServe, public ::testing::WithParamInterface<CLineCase> {};

// Every byte reaches the terminal exactly once and in order, except a prompt line that is
// answered with keys.
TEST_P(LineCompletion, EachByteShownOnce) {
    t.config.m_nComAutoMenu = GetParam().nAutoMenu;
    for (const auto& [ms, s] : GetParam().input) FeedAt(ms, s);
    Serve();
    EXPECT_EQ(t.TerminalText(), GetParam().strShown);
    EXPECT_EQ(Written(), GetParam().strTyped);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    SerialServe, LineCompletion,
    ::testing::Values(
        CLineCase{"LineOverTwoReads", {{0, "Hello "}, {100, "world\r\n"}}, "Hello world\r\n", ""},
        CLineCase{"NoLineFeedWithinTwoSeconds", {{0, "Boot> "}}, "Boot> ", ""},
        CLineCase{"LineFeedAfterTwoSecondsIsShownOnce", {{0, "Boot> "}, {3000, "x\n"}}, "Boot> x\n", ""},
        CLineCase{"PromptReadCompletedIsAnswered", {{0, "Press any key"}, {100, " to stop\r\n"}},
                  "<a><32><31><78><44>", "\n21xD"},
        CLineCase{"PromptReadNeverCompletedIsShownOnce", {{0, "Press any key"}, {2500, "..."}},
                  "Press any key...", ""},
        CLineCase{"PromptSplitOverReadsIsStillAnswered", {{0, "Press any"}, {100, " key\r\n"}},
                  "Press any key\r<a><32><31><78><44>", "\n21xD"},
        CLineCase{"TextAfterTheLineFeedWaitsForTheNextPass", {{0, "one\r\ntwo"}}, "one\r\ntwo", ""},
        CLineCase{"WithoutAutoMenuThePromptIsShownAsIs", {{0, "Press any key\r\n"}}, "Press any key\r\n", "", 0},
        CLineCase{"LongLineWithoutLineFeedLosesNoByte", {{0, std::string(200, 'a')}, {10, std::string(100, 'b')}},
                  std::string(200, 'a') + std::string(100, 'b'), ""}),
    CaseName());
// clang-format on

}  // namespace
