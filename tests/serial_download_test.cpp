// The serial download: exact bytes on the line for both protocols, pacing, failures,
// statistics and the transfer entry.
#include <gtest/gtest.h>

#include <thread>

#include "net/TransferNode.h"
#include "serial/SerialRequest.h"
#include "tests/SerialTestUtil.h"
#include "tests/SerialUnitSim.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Slice(const Bytes& b, size_t nFrom, size_t nCount) {
    return Bytes(b.begin() + static_cast<long>(nFrom),
                 b.begin() + static_cast<long>(nFrom + nCount));
}

class SerialDownload : public ::testing::Test {
protected:
    CSerialTestApp t;
    std::unique_ptr<CTransferSerial> pPort;
    CFakeSerialDevice* pDev = nullptr;
    std::unique_ptr<CFakeDownloadUnit> pUnit;
    Bytes image;

    void Setup(const std::vector<CImageRecord>& records, int nProtocol) {
        image = MakeImageBytes(records);
        ASSERT_TRUE(t.LoadImage(image));
        t.config.m_nComProtocol = nProtocol;
        pPort = std::make_unique<CTransferSerial>(t.server, "COM1", 115200, false);
        pDev = t.serial.Last();
        pUnit = std::make_unique<CFakeDownloadUnit>(t.sys.clock, nProtocol != 0);
        pUnit->Attach(*pDev);
    }
    // The example image: A of 600 bytes, B of 0 bytes, the end record.
    void SetupExample(int nProtocol) {
        Setup({{0x80001000, Pattern(600, 1)}, {0x80002000, {}}}, nProtocol);
    }
    std::vector<std::string> TerminalLines() {
        std::vector<std::string> out;
        for (const auto& s : t.TerminalChunks())
            if (s.size() > 1) out.push_back(s);
        return out;
    }
};

CLineEvent S(const Bytes& b) {
    return {'S', b};
}
const CLineEvent kUnitLf{'U', {'\n'}};
const CLineEvent kServerLf{'S', {'\n'}};
const CLineEvent kPurge{'P', {}};

TEST_F(SerialDownload, Hv7LineCarriesHeaderRecordsAndBlocksPacedByTheUnit) {
    SetupExample(0);
    EXPECT_TRUE(t.server.SerialDownload(*pPort));
    const std::vector<CLineEvent> expected = {
        S(Slice(image, 0, 15)),         kPurge,
        S(Slice(image, 15, 12)),        kUnitLf,
        S(Slice(image, 27, 256)),       kUnitLf,
        S(Slice(image, 27 + 256, 256)), kUnitLf,
        S(Slice(image, 27 + 512, 88)),  S(Slice(image, 627, 12)),
        S(Slice(image, 639, 12)),
    };
    EXPECT_EQ(pDev->Events(), expected);
    EXPECT_FALSE(pUnit->m_bProtocolError);
}

TEST_F(SerialDownload, Hv6AnswersEveryGoAheadWithItsOwnLineFeed) {
    SetupExample(1);
    EXPECT_TRUE(t.server.SerialDownload(*pPort));
    const std::vector<CLineEvent> expected = {
        kServerLf,
        S(Slice(image, 0, 15)),
        kPurge,
        kUnitLf,
        kServerLf,
        S(Slice(image, 15, 12)),
        kUnitLf,
        kServerLf,
        S(Slice(image, 27, 600)),
        kUnitLf,
        kServerLf,
        S(Slice(image, 627, 12)),
        kUnitLf,
        kServerLf,
        S(Slice(image, 639, 12)),
    };
    EXPECT_EQ(pDev->Events(), expected);
    EXPECT_FALSE(pUnit->m_bProtocolError);
}

TEST_F(SerialDownload, SuccessWritesRecordLinesAndStatisticsToTheTerminal) {
    SetupExample(0);
    t.server.SerialDownload(*pPort);
    const std::vector<std::string> expected = {
        "\r\n<Record address = 80001000  Record length  = 00000600>",
        "\r\n<Record address = 80002000  Record length  = 00000000>",
        "\r\n<Record address = 00000000  Record length  = 2147487744>",
        "\r\n<Entry point is 80001000>",
        "\r\n<Processed 2 records, 651 bytes.>",
        "\r\n<Time= 0 seconds.>",
        "\r\n<Overhead= 39 bytes.>",
    };
    EXPECT_EQ(TerminalLines(), expected);
    EXPECT_EQ(image.size(), 651u);
    // Done within its first second: a success all the same, only without a rate.
    EXPECT_EQ(t.StatusEvents(),
              (std::vector<int64_t>{BOOT_EVENT_TRANSFER_STARTED, BOOT_EVENT_TRANSFER_DONE}));
    EXPECT_EQ(t.sys.poster.LogLines(),
              (std::vector<std::string>{"COM1: Starting Transfer", "COM1: Transfer Complete"}));
    EXPECT_EQ(pPort->m_nState.load(), SERIAL_STATE_DONE);
}

TEST_F(SerialDownload, SlowDownloadShowsItsRate) {
    SetupExample(0);
    pUnit->m_dwGoAheadDelay = 1000;
    t.server.SerialDownload(*pPort);
    const auto lines = TerminalLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 3], "\r\n<Time= 3 seconds.>");
    EXPECT_EQ(lines.back(), "<\r\nRate= 217 bytes per second.>");
}

struct CBlockCase {
    int nProtocol;
    uint32_t nLength;
    std::vector<uint32_t> blocks;
};

class DownloadBlocks : public SerialDownload, public ::testing::WithParamInterface<CBlockCase> {};

TEST_P(DownloadBlocks, RecordIsCutIntoProtocolBlocks) {
    Setup({{0x1000, Pattern(GetParam().nLength, 9)}}, GetParam().nProtocol);
    EXPECT_TRUE(t.server.SerialDownload(*pPort));
    EXPECT_EQ(pUnit->m_blockSizes, GetParam().blocks);
    EXPECT_TRUE(pUnit->m_bDone);
    // Every byte of the file went out, each data block in one write; HV6 adds its LFs:
    // one before the image header, one before each of the two record headers and blocks.
    size_t nServer = 0;
    for (const auto& e : pDev->Events())
        if (e.cDir == 'S') nServer += e.bytes.size();
    const size_t nLineFeeds = GetParam().nProtocol ? 1 + 2 + GetParam().blocks.size() : 0;
    EXPECT_EQ(nServer, image.size() + nLineFeeds);
}

INSTANTIATE_TEST_SUITE_P(SerialDownload, DownloadBlocks,
                         ::testing::Values(CBlockCase{0, 512, {256, 256}},
                                           CBlockCase{0, 257, {256, 1}},
                                           CBlockCase{1, 40000, {32768, 7232}},
                                           CBlockCase{1, 32768, {32768}}, CBlockCase{1, 3, {3}}));

TEST_F(SerialDownload, RecordsGoOutInAscendingAddressOrder) {
    Setup({{0x300, Pattern(10, 1)}, {0x100, Pattern(10, 2)}, {0x200, Pattern(10, 3)}}, 0);
    t.server.SerialDownload(*pPort);
    EXPECT_EQ(pUnit->m_recordAddresses, (std::vector<uint32_t>{0x100, 0x200, 0x300, 0}));
}

TEST_F(SerialDownload, UnitSilentAfterSecondBlockFailsAfterTenSeconds) {
    Setup({{0x1000, Pattern(1000, 1)}}, 0);
    pUnit->m_nStallAfterBlocks = 2;
    const uint32_t dwStart = t.sys.clock.GetTickCount();
    EXPECT_TRUE(t.server.SerialDownload(*pPort));
    const uint32_t dwTook = t.sys.clock.GetTickCount() - dwStart;
    EXPECT_GE(dwTook, 10000u);
    EXPECT_LT(dwTook, 11000u);
    const auto lines = TerminalLines();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[1], "\r\n<No response from unit (CR)>");
    EXPECT_EQ(lines[2], "\r\n<Processed 1 records, 539 bytes.>");
    EXPECT_EQ(lines[3], "\r\n<Time= 10 seconds.>");
    EXPECT_EQ(t.sys.poster.LogLines(), (std::vector<std::string>{"COM1: Starting Transfer",
                                                                 "COM1: No response from unit (CR)",
                                                                 "COM1: Transfer Failed"}));
    EXPECT_EQ(t.StatusEvents(),
              (std::vector<int64_t>{BOOT_EVENT_TRANSFER_STARTED, BOOT_EVENT_TRANSFER_FAILED}));
    EXPECT_EQ(pPort->m_nState.load(), SERIAL_STATE_FAILED);
}

TEST_F(SerialDownload, Hv6UnitThatNeverAsksForARecordFailsAfterTwoSeconds) {
    Setup({{0x1000, Pattern(10, 1)}}, 1);
    pUnit->m_nStallAfterBlocks = 0;
    const uint32_t dwStart = t.sys.clock.GetTickCount();
    t.server.SerialDownload(*pPort);
    const uint32_t dwTook = t.sys.clock.GetTickCount() - dwStart;
    EXPECT_GE(dwTook, 2000u + 350u);
    EXPECT_LT(dwTook, 3000u);
    EXPECT_EQ(TerminalLines()[2], "\r\n<Processed 0 records, 15 bytes.>");
    EXPECT_EQ(t.StatusEvents().back(), BOOT_EVENT_TRANSFER_FAILED);
}

TEST_F(SerialDownload, TextBeforeTheGoAheadIsShownByteByByte) {
    Setup({{0x1000, Pattern(10, 1)}}, 0);
    pUnit->m_strBeforeLf = "READY";
    EXPECT_TRUE(t.server.SerialDownload(*pPort));
    const auto chunks = t.TerminalChunks();
    ASSERT_GE(chunks.size(), 6u);
    EXPECT_EQ(std::vector<std::string>(chunks.begin() + 1, chunks.begin() + 6),
              (std::vector<std::string>{"R", "E", "A", "D", "Y"}));
    EXPECT_TRUE(pUnit->m_bDone);
}

TEST_F(SerialDownload, CorruptImageSendsNothingAndFails) {
    Bytes bad = MakeImageBytes({{0x1000, Pattern(40, 1)}});
    bad.resize(15 + 12 + 20);  // the record's data runs past the end
    ASSERT_TRUE(t.LoadImage(bad));
    pPort = std::make_unique<CTransferSerial>(t.server, "COM1", 115200, false);
    pDev = t.serial.Last();
    EXPECT_FALSE(t.server.SerialDownload(*pPort));
    EXPECT_FALSE(t.server.SerialDownload(*pPort));
    EXPECT_TRUE(pDev->Events().empty());
    const auto logs = t.sys.poster.LogLines();
    ASSERT_EQ(logs.size(), 4u);
    EXPECT_EQ(logs[1], "Boot File is corrupt!");
    EXPECT_EQ(t.StatusEvents(), (std::vector<int64_t>{-2, -4, -2, -4}));
    EXPECT_EQ(t.transfers.Count(), 0u);
    EXPECT_EQ(pPort->m_pTransfer.load(), nullptr);
}

TEST_F(SerialDownload, TransferIsListedUnderThePortNameWhileItRuns) {
    SetupExample(0);
    size_t nSeen = 0;
    std::string strName;
    pDev->m_onWrite = [&, inner = pDev->m_onWrite](CFakeSerialDevice& d, const Bytes& b) {
        nSeen = t.transfers.Count();
        strName = t.transfers.Locked([](const CTransferTable::CList& arr) {
            return arr.empty() ? std::string() : arr[0]->m_strName;
        });
        EXPECT_EQ(pPort->m_nState.load(), SERIAL_STATE_DOWNLOADING);
        EXPECT_NE(pPort->m_pTransfer.load(), nullptr);
        inner(d, b);
    };
    t.server.SerialDownload(*pPort);
    EXPECT_EQ(nSeen, 1u);
    EXPECT_EQ(strName, "COM1");
    EXPECT_EQ(t.transfers.Count(), 0u);
    EXPECT_EQ(pPort->m_pTransfer.load(), nullptr);
    // The slot label is shown at the start and hidden at the end.
    std::vector<std::string> labels;
    for (const auto& m : t.sys.poster.Messages(WM_BOOT_TEXT))
        if (m.wParam == 0) labels.push_back(m.strText);
    EXPECT_EQ(labels, (std::vector<std::string>{"COM1\r\n", ""}));
}

TEST_F(SerialDownload, ProgressEndsAtOneHundredPercent) {
    Setup({{0x1000, Pattern(5000, 1)}}, 0);
    t.server.SerialDownload(*pPort);
    std::vector<int64_t> percents;
    for (const auto& m : t.sys.poster.Messages(WM_BOOT_PROGRESS))
        if (m.wParam == 0 && m.lParam >= 0) percents.push_back(m.lParam);
    ASSERT_FALSE(percents.empty());
    EXPECT_EQ(percents.back(), 100);
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
    EXPECT_LE(percents.size(), 101u);
}

TEST_F(SerialDownload, StopDuringTheDownloadEndsItAtOnce) {
    Setup({{0x1000, Pattern(5000, 1)}}, 0);
    pDev->m_onWrite = [&, inner = pDev->m_onWrite](CFakeSerialDevice& d, const Bytes& b) {
        inner(d, b);
        if (b.size() == 256) pPort->RequestStop();
    };
    const uint32_t dwStart = t.sys.clock.GetTickCount();
    EXPECT_TRUE(t.server.SerialDownload(*pPort));
    EXPECT_LT(t.sys.clock.GetTickCount() - dwStart, 1000u);
    EXPECT_EQ(t.StatusEvents().back(), BOOT_EVENT_TRANSFER_FAILED);
    EXPECT_EQ(pUnit->m_blockSizes.size(), 1u);
}

TEST_F(SerialDownload, WriteFailureEndsTheDownloadAsFailed) {
    Setup({{0x1000, Pattern(5000, 1)}}, 1);
    pDev->m_onWrite = [&, inner = pDev->m_onWrite](CFakeSerialDevice& d, const Bytes& b) {
        inner(d, b);
        if (b.size() == 12) d.m_bFailWrite = true;
    };
    EXPECT_TRUE(t.server.SerialDownload(*pPort));
    EXPECT_FALSE(pPort->IsOpen());
    EXPECT_EQ(t.StatusEvents().back(), BOOT_EVENT_TRANSFER_FAILED);
    EXPECT_EQ(t.transfers.Count(), 0u);
}

}  // namespace

namespace {

// Three port threads download at once in real time, sharing the transfer list and the
// image's index, while the network side may read the list.
TEST(SerialDownloadThreads, ThreePortsDownloadAtOnce) {
    CSerialTestApp t(true);
    ASSERT_TRUE(
        t.LoadImage(MakeImageBytes({{0x3000, Pattern(3000, 1)}, {0x1000, Pattern(700, 2)}})));
    std::vector<std::unique_ptr<CFakeDownloadUnit>> units;
    std::mutex lockUnits;
    t.serial.m_onOpen = [&](const std::string&, CFakeSerialDevice& dev) {
        std::lock_guard<std::mutex> g(lockUnits);
        units.push_back(std::make_unique<CFakeDownloadUnit>(t.sys.clock, false));
        units.back()->Attach(dev);
        std::vector<uint8_t> req(SERIAL_REQUEST_MAX);
        req.resize(BuildSerialBootRequest(req.data(), req.size(), 1, "unit", 0));
        dev.Feed(req);
    };
    std::vector<std::unique_ptr<CTransferSerial>> ports;
    for (const char* psz : {"COM1", "COM2", "COM3"})
        ports.push_back(std::make_unique<CTransferSerial>(t.server, psz, 115200));
    auto completed = [&] {
        int n = 0;
        for (const auto& line : t.sys.poster.LogLines())
            n += line.find(": Transfer Complete") != std::string::npos;
        return n;
    };
    for (int i = 0; i < 500 && completed() < 3; ++i) {
        (void)t.transfers.Count();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    for (auto& p : ports) p->RequestStop();
    ports.clear();
    EXPECT_EQ(completed(), 3);
    for (const auto& u : units) {
        EXPECT_TRUE(u->m_bDone);
        EXPECT_FALSE(u->m_bProtocolError);
    }
    EXPECT_EQ(t.transfers.Count(), 0u);
}

}  // namespace
