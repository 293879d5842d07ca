// The sample image maker, and the simulated unit that must catch a server's faults.
#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

#include "app/ImageInfo.h"
#include "tests/CaseName.h"
#include "tests/TestImage.h"
#include "tools/mkimage/ImageBuilder.h"
#include "tools/orxunit/NetUnitSession.h"

// The tools are executables of their own; their pure parts are compiled in here.
#include "tools/orxunit/NetUnitSession.cpp"

using namespace orxunit;

namespace {

using ImageCase = std::tuple<uint32_t, uint32_t, bool>;  // size, records, descending

class SampleImage : public ::testing::TestWithParam<ImageCase> {};

TEST_P(SampleImage, IsExactSizeAndWholeForTheServersReader) {
    const auto [nSize, nRecords, bDescending] = GetParam();
    std::vector<uint8_t> arr;
    ASSERT_TRUE(BuildSampleImage({nSize, nRecords, 7, bDescending}, arr));
    ASSERT_EQ(arr.size(), nSize);
    CTempDir dir;
    const CImageInfo info = InspectImageFile(WriteFile(dir.Path("s.bin"), arr));
    // Every checksum holds, the end record closes the file and a serial download takes it.
    EXPECT_TRUE(info.bOk && info.bSerialAccepts) << info.strProblem;
    EXPECT_EQ(info.nTrailingBytes, 0u);
    ASSERT_EQ(info.arrLoadOrder.size(), nRecords + 1u);
    for (size_t i = 1; i < nRecords; ++i)
        EXPECT_EQ(info.arrFileOrder[i].dwAddress > info.arrFileOrder[i - 1].dwAddress, !bDescending)
            << i;
    EXPECT_EQ(info.arrFileOrder.back().dwLength, info.dwImageStart) << "entry point";
    if (nRecords) {
        const auto& last = info.arrLoadOrder[nRecords - 1];
        EXPECT_EQ(info.dwImageLength, last.dwAddress + last.dwLength - info.dwImageStart);
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, SampleImage,
                         ::testing::Values(ImageCase{70000, 5, true}, ImageCase{27, 0, false},
                                           ImageCase{40, 1, false}, ImageCase{200000, 300, false}));

const CSockAddr kServer{0x0100007F, 980};  // 127.0.0.1 in network order
const CBytes kJump = {'E', 'D', 'B', 'G', 0xFF, 0x01, 0x00, 0x02, 0x00};
constexpr uint64_t kSec = 1'000'000;

// Block wBlock carrying at most nLen of the image's bytes from nIndex * 512 on.
CBytes DataPacket(const CBytes& image, size_t nIndex, uint16_t wBlock, size_t nLen = 512) {
    const size_t nOff = nIndex * 512;
    CBytes p(4 + std::min(nLen, image.size() - nOff));
    p[1] = 3;
    p[2] = uint8_t(wBlock >> 8);
    p[3] = uint8_t(wBlock);
    std::copy_n(image.begin() + long(nOff), p.size() - 4, p.begin() + 4);
    return p;
}

// A packet the server sends, and the port it comes from.
struct CPacket {
    CBytes bytes;
    CSockAddr from = kServer;
};

CPacket Wrq(const char* pszMode = "octet") {
    CBytes p = {0, 2, 'b', 'o', 'o', 't', '.', 'b', 'i', 'n', 0};
    p.insert(p.end(), pszMode, pszMode + std::strlen(pszMode) + 1);
    return {p};
}

// Plays the server's side against one unit session on a clock of its own.
class CServerScript {
public:
    explicit CServerScript(size_t nImage, CNetUnitFaults faults = {})
        : m_pImage(std::make_shared<CBytes>(MakeImageBytes(nImage))) {
        CNetUnitConfig cfg;
        cfg.strName = "HV7A";
        ParseMac("02:4f:52:0a:0b:0c", cfg.mac);
        cfg.dwOwnAddr = 0x0200007F;
        cfg.addrServer = kServer;
        cfg.nTimeoutUs = 10 * kSec;
        cfg.faults = faults;
        m_pSession = std::make_unique<CNetUnitSession>(cfg, m_pImage);
        m_pSession->Start(m_nNow, m_last);
    }
    CUnitActions Send(const CBytes& p, CSockAddr from = kServer) {
        m_last = {};
        m_pSession->OnDatagram(p.data(), p.size(), from, m_nNow, m_last);
        return m_last;
    }
    CUnitActions Block(size_t nIndex, uint16_t wBlock) {
        return Send(DataPacket(*m_pImage, nIndex, wBlock));
    }
    // Sends the write request and every block; returns the block numbers acknowledged.
    std::vector<int> RunData() {
        std::vector<int> arrAcks;
        auto collect = [&](const CUnitActions& act) {
            for (const auto& s : act.arrSend)
                if (s.bytes.size() == 4 && s.bytes[1] == 4)
                    arrAcks.push_back(s.bytes[2] << 8 | s.bytes[3]);
        };
        collect(Send(Wrq().bytes));
        uint16_t w = 1;
        for (size_t i = 0; i * 512 < m_pImage->size(); ++i) collect(Block(i, w++));
        return arrAcks;
    }

    std::shared_ptr<CBytes> m_pImage;
    std::unique_ptr<CNetUnitSession> m_pSession;
    CUnitActions m_last;  // after construction: the first announcement
    uint64_t m_nNow = 5 * kSec;
};

TEST(NetUnit, FollowsTheBlockNumberAcrossTheSixteenBitWrap) {
    CServerScript s(65536 * 512 + 100);
    const std::vector<int> arrAcks = s.RunData();
    ASSERT_EQ(arrAcks.size(), 65538u);
    EXPECT_EQ(arrAcks[65535], 65535);
    EXPECT_EQ(arrAcks[65536], 0);
    EXPECT_EQ(arrAcks[65537], 1);
    s.Send(kJump);
    EXPECT_EQ(s.m_pSession->Result().nCode, kExitOk) << s.m_pSession->Result().strReason;
}

// Server faults the unit must report, each with a word of the reason it gives: what the
// server sends to a unit that expects an image of 1500 bytes.
CPacket Data(size_t nIndex, uint16_t wBlock, size_t nLen = 512) {
    static const CBytes image = MakeImageBytes(1500);
    return {DataPacket(image, nIndex, wBlock, nLen)};
}

CPacket Flipped(CPacket p, size_t nAt) {
    p.bytes[nAt] ^= 1;
    return p;
}

struct ServerFault {
    const char* pszName;
    std::vector<CPacket> arrSent;
    const char* pszReason;
};

class NetUnitCatches : public ::testing::TestWithParam<ServerFault> {};

TEST_P(NetUnitCatches, ServerFault) {
    CServerScript s(1500);
    for (const CPacket& p : GetParam().arrSent) s.Send(p.bytes, p.from);
    ASSERT_TRUE(s.m_pSession->Finished());
    EXPECT_EQ(s.m_pSession->Result().nCode, kExitFailed);
    EXPECT_NE(s.m_pSession->Result().strReason.find(GetParam().pszReason), std::string::npos)
        << s.m_pSession->Result().strReason;
}

const CPacket kAll[] = {Wrq(), Data(0, 1), Data(1, 2), Data(2, 3)};

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Faults, NetUnitCatches,
    ::testing::Values(
        ServerFault{"WrongMode", {Wrq("netascii")}, "write request"},
        ServerFault{"DataBeforeWriteRequest", {Data(0, 1)}, "write request"},
        ServerFault{"SkippedBlock", {Wrq(), Data(0, 1), Data(2, 3)}, "out of order"},
        ServerFault{"ShortBlockInTheMiddle", {Wrq(), Data(0, 1, 500)}, "short block"},
        ServerFault{"EmptyBlockAfterTheLast", {kAll[0], kAll[1], kAll[2], kAll[3], {{0, 3, 0, 4}}}, "after the last"},
        ServerFault{"WrongByte", {Wrq(), Flipped(Data(0, 1), 4 + 300)}, "offset 300"},
        ServerFault{"ResentBlockWithOtherData", {Wrq(), Data(0, 1), Data(1, 1)}, "other data"},
        ServerFault{"JumpTooEarly", {Wrq(), Data(0, 1), {kJump}}, "jump after 512 of 1500"},
        ServerFault{"JumpWithWrongCommand", {kAll[0], kAll[1], kAll[2], kAll[3], {{'E', 'D', 'B', 'G', 0xFF, 1, 0, 3, 0}}}, "unexpected packet"},
        ServerFault{"WriteRequestAgainMidTransfer", {Wrq(), Data(0, 1), Wrq()}, "write request again"},
        ServerFault{"BlockFromAnotherPort", {Wrq(), {Data(0, 1).bytes, {0x0100007F, 981}}}, "127.0.0.1:981"}),
    CaseName());
// clang-format on

TEST(NetUnitFaults, MovesToANewPortOnceForTheBlockAfterN) {
    CServerScript s(4096, {.nNewPortAfter = 2});
    s.Send(Wrq().bytes);
    std::vector<bool> arrMoved;
    for (size_t i = 0; i < 8; ++i) arrMoved.push_back(s.Block(i, uint16_t(i + 1)).bNewPort);
    EXPECT_EQ(arrMoved, (std::vector<bool>{false, false, true, false, false, false, false, false}));
}

TEST(NetUnitFaults, RepeatsTheAnnouncementEverySixteenBlocks) {
    CServerScript s(40 * 512, {.bRepeatRequest = true});
    s.Send(Wrq().bytes);
    std::vector<size_t> arrAt;
    for (size_t i = 0; i < 40; ++i)
        for (const auto& send : s.Block(i, uint16_t(i + 1)).arrSend)
            if (send.bytes.size() == 64 && send.to == kServer) arrAt.push_back(i + 1);
    EXPECT_EQ(arrAt, (std::vector<size_t>{16, 32}));
}

}  // namespace
