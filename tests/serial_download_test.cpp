// The serial download: exact bytes on the line for both protocols, pacing, failures,
// statistics and the transfer entry.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/SerialTestUtil.h"
#include "transfer/TransferNode.h"

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
    Bytes image;

    // nCut > 0: the image is cut to that many bytes.
    void Setup(const std::vector<CImageRecord>& records, int nProtocol, size_t nCut = 0) {
        image = MakeImageBytes(records);
        if (nCut) image.resize(nCut);
        ASSERT_TRUE(t.LoadImage(image));
        t.config.m_nComProtocol = nProtocol;
        pPort = std::make_unique<CTransferSerial>(t.server, "COM1", 115200, false);
        pDev = t.serial.Last();
    }
    // The unit's go-ahead LFs, each a read of its own, the first after the server's purge
    // (400 ms into the download) and the next ones dwStep apart.
    void GoAheads(int n, uint32_t dwStep = 0) {
        const uint32_t dwFirst = t.sys.clock.GetTickCount() + 400;
        for (int i = 0; i < n; ++i) pDev->Feed("\n", dwFirst + dwStep * static_cast<uint32_t>(i));
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

// The example image in file order: B of 0 bytes at 0x80002000, A of 600 bytes at
// 0x80001000, the end record. A goes out first.
class ExampleDownload : public SerialDownload, public ::testing::WithParamInterface<int> {};

TEST_P(ExampleDownload, LineCarriesRecordsByAddressPacedByTheUnitAndReportsIt) {
    const bool bHv6 = GetParam() != 0;
    Setup({{0x80002000, {}}, {0x80001000, Pattern(600, 1)}}, GetParam());
    GoAheads(bHv6 ? 4 : 3);
    EXPECT_TRUE(t.server.SerialDownload(*pPort->LineWithoutWorker()));
    const Bytes header = Slice(image, 0, 15), recA = Slice(image, 27, 12),
                recB = Slice(image, 15, 12), end = Slice(image, 639, 12);
    // clang-format off
    const std::vector<CLineEvent> hv7 = {
        S(header), kPurge, S(recA), kUnitLf, S(Slice(image, 39, 256)), kUnitLf,
        S(Slice(image, 39 + 256, 256)), kUnitLf, S(Slice(image, 39 + 512, 88)), S(recB), S(end)};
    // HV6 answers every go-ahead with its own LF and sends the record in one block.
    const std::vector<CLineEvent> hv6 = {
        kServerLf, S(header), kPurge, kUnitLf, kServerLf, S(recA), kUnitLf, kServerLf,
        S(Slice(image, 39, 600)), kUnitLf, kServerLf, S(recB), kUnitLf, kServerLf, S(end)};
    // clang-format on
    EXPECT_EQ(pDev->Events(), bHv6 ? hv6 : hv7);

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
    // Done within its first second: a success all the same, only without a rate.
    EXPECT_EQ(t.StatusEvents(), (std::vector<EBootStatus>{EBootStatus::TransferStarted,
                                                          EBootStatus::TransferCompleted}));
    const auto done = t.Last<CTransferCompleted>();
    ASSERT_TRUE(done);
    EXPECT_EQ(done->unit.strName, "COM1");
    EXPECT_TRUE(done->unit.bSerial);
    EXPECT_EQ(done->nBytes, 651u);
    EXPECT_EQ(pPort->State(), SERIAL_STATE_DONE);
    EXPECT_EQ(t.transfers.Count(), 0u);
    EXPECT_EQ(pPort->CurrentTransfer(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Hv7AndHv6, ExampleDownload, ::testing::Values(0, 1));

TEST_F(SerialDownload, SlowDownloadShowsItsRate) {
    Setup({{0x80002000, {}}, {0x80001000, Pattern(600, 1)}}, 0);
    GoAheads(3, 1500);
    t.server.SerialDownload(*pPort->LineWithoutWorker());
    const auto lines = TerminalLines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[lines.size() - 3], "\r\n<Time= 3 seconds.>");
    EXPECT_EQ(lines.back(), "<\r\nRate= 217 bytes per second.>");
}

struct CBlockCase {
    int nProtocol;
    uint32_t nLength;
    std::vector<size_t> writes;  // every write of the server, in order
};

class DownloadBlocks : public SerialDownload, public ::testing::WithParamInterface<CBlockCase> {};

// Each block is one write; HV6 puts an LF before the image header, each record header
// and each block.
TEST_P(DownloadBlocks, RecordIsCutIntoProtocolBlocks) {
    Setup({{0x1000, Pattern(GetParam().nLength, 9)}}, GetParam().nProtocol);
    GoAheads(8);
    EXPECT_TRUE(t.server.SerialDownload(*pPort->LineWithoutWorker()));
    std::vector<size_t> sizes;
    for (const auto& w : pDev->Writes()) sizes.push_back(w.size());
    EXPECT_EQ(sizes, GetParam().writes);
    EXPECT_EQ(t.StatusEvents().back(), EBootStatus::TransferCompleted);
}

INSTANTIATE_TEST_SUITE_P(SerialDownload, DownloadBlocks,
                         ::testing::Values(CBlockCase{0, 512, {15, 12, 256, 256, 12}},
                                           CBlockCase{1, 32768, {1, 15, 1, 12, 1, 32768, 1, 12}}));

TEST_F(SerialDownload, UnitSilentAfterSecondBlockFailsAfterTenSeconds) {
    Setup({{0x1000, Pattern(1000, 1)}}, 0);
    GoAheads(2);
    EXPECT_TRUE(t.server.SerialDownload(*pPort->LineWithoutWorker()));
    const auto lines = TerminalLines();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[1], "\r\n<No response from unit (CR)>");
    EXPECT_EQ(lines[2], "\r\n<Processed 1 records, 539 bytes.>");
    EXPECT_EQ(lines[3], "\r\n<Time= 10 seconds.>");
    // The failure's status event is what the wizard's hang-up case fails on.
    EXPECT_EQ(pPort->State(), SERIAL_STATE_FAILED);
    EXPECT_EQ(t.Last<CTransferFailed>()->eReason, EFailReason::NoResponse);
    EXPECT_EQ(t.Last<CTransferFailed>()->nBytes, 539u);
}

TEST_F(SerialDownload, Hv6UnitThatNeverAsksForARecordFailsAfterTwoSeconds) {
    Setup({{0x1000, Pattern(10, 1)}}, 1);
    const uint32_t dwStart = t.sys.clock.GetTickCount();
    t.server.SerialDownload(*pPort->LineWithoutWorker());
    const uint32_t dwTook = t.sys.clock.GetTickCount() - dwStart;
    EXPECT_GE(dwTook, 2000u + 350u);
    EXPECT_LT(dwTook, 3000u);
    EXPECT_EQ(TerminalLines()[2], "\r\n<Processed 0 records, 15 bytes.>");
    EXPECT_EQ(t.Last<CTransferFailed>()->eReason, EFailReason::NoResponse);
}

TEST_F(SerialDownload, CorruptImageSendsNothingAndFails) {
    Setup({{0x1000, Pattern(40, 1)}}, 0, 15 + 12 + 20);  // the record's data runs past the end
    EXPECT_FALSE(t.server.SerialDownload(*pPort->LineWithoutWorker()));
    EXPECT_FALSE(t.server.SerialDownload(*pPort->LineWithoutWorker()));
    EXPECT_TRUE(pDev->Events().empty());
    const auto logs = t.sys.poster.LogLines();
    ASSERT_EQ(logs.size(), 4u);
    EXPECT_EQ(logs[1], "Boot File is corrupt!");
    EXPECT_EQ(t.StatusEvents(), (std::vector<EBootStatus>{
                                    EBootStatus::TransferStarted, EBootStatus::TransferFailed,
                                    EBootStatus::TransferStarted, EBootStatus::TransferFailed}));
    EXPECT_EQ(t.Last<CTransferFailed>()->eReason, EFailReason::CorruptImage);
    EXPECT_EQ(t.transfers.Count(), 0u);
    EXPECT_EQ(pPort->CurrentTransfer(), nullptr);
}

// A failed line and a stop of the servers both end the download at the record header; the
// record says which it was.
TEST_F(SerialDownload, WriteFailureOrStopEndsTheDownloadAsFailed) {
    for (const bool bStop : {false, true}) {
        Setup({{0x1000, Pattern(5000, 1)}}, 1);
        GoAheads(8);
        pDev->m_onWrite = [&](CFakeSerialDevice& d, const Bytes& b) {
            if (b.size() != 12) return;
            if (bStop) pPort->RequestStop();
            d.m_bFailWrite = !bStop;
        };
        EXPECT_TRUE(t.server.SerialDownload(*pPort->LineWithoutWorker()));
        EXPECT_EQ(pPort->IsOpen(), bStop);
        const auto failed = t.Last<CTransferFailed>();
        ASSERT_TRUE(failed);
        EXPECT_EQ(failed->eReason, bStop ? EFailReason::Halted : EFailReason::LineFailed);
        EXPECT_EQ(failed->strError.empty(), bStop);
        EXPECT_EQ(t.transfers.Count(), 0u);
    }
}

}  // namespace
