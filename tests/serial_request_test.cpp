// Recognising a unit's serial boot request: the pure checker and the gathering reads.
#include <gtest/gtest.h>

#include "serial/SerialRequest.h"
#include "tests/CaseName.h"
#include "tests/SerialTestUtil.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Request(int32_t nFlag, const char* pszName, int nDelta = 0) {
    Bytes out(SERIAL_REQUEST_MAX);
    out.resize(BuildSerialBootRequest(out.data(), out.size(), nFlag, pszName, nDelta));
    return out;
}

// A request put together field by field: N, F, the bytes from 12 on, trailer.
Bytes RawRequest(int16_t nLength, int32_t nFlag, const Bytes& middle) {
    Bytes out = {0xAA, 0x55, 0x55, 0xAA, 0x00, 0x00};
    out.push_back(static_cast<uint8_t>(nLength));
    out.push_back(static_cast<uint8_t>(static_cast<uint16_t>(nLength) >> 8));
    PutLe32(out, static_cast<uint32_t>(nFlag));
    out.insert(out.end(), middle.begin(), middle.end());
    for (uint8_t b : {0x5A, 0xA5, 0x0A, 0x1A}) out.push_back(b);
    return out;
}

// C at 12 made to hold for the bytes from 4 on.
Bytes Summed(Bytes b) {
    uint8_t s = 0;
    for (size_t i = 4; i < 12; ++i) s = static_cast<uint8_t>(s + b[i]);
    b[12] = static_cast<uint8_t>(0xFF - s);
    return b;
}

struct CScanCase {
    const char* pszName;
    Bytes bytes;
    ERequestScan eExpected;
};

Bytes WithByte(Bytes b, size_t i, uint8_t v) {
    b[i] = v;
    return b;
}

Bytes Prefix(const Bytes& b, size_t n) {
    return Bytes(b.begin(), b.begin() + static_cast<long>(n));
}

const Bytes kShortest = Summed(RawRequest(5, 0, {0}));
// N places C at 300: beyond every gathered byte.
const Bytes kChecksumBeyond = RawRequest(293, 1, {'n', 'a', 'm', 'e', 0});

std::vector<CScanCase> ScanCases() {
    const Bytes& valid = kShortest;
    Bytes noTrailer(SERIAL_REQUEST_MAX, 0x11);
    std::copy(valid.begin(), valid.begin() + 12, noTrailer.begin());
    return {
        {"ShortestWithFlagZero", valid, ERequestScan::Valid},
        {"ChecksumOneTooSmall", WithByte(valid, 12, valid[12] - 1), ERequestScan::BadChecksum},
        {"WithName", Request(1, "HV7-00421"), ERequestScan::Valid},
        {"WithNameWrongChecksum", Request(1, "HV7-00421", 3), ERequestScan::BadChecksum},
        {"NameSpoiledAfterChecksum", WithByte(Request(1, "HV7"), 13, 'X'),
         ERequestScan::BadChecksum},
        // Flag 0: the name is not summed and C stands at 12.
        {"NameBytesIgnoredWithoutFlag", Summed(RawRequest(9, 0, {0, 'a', 'b', 'c', 'd'})),
         ERequestScan::Valid},
        {"NegativeLengthPutsChecksumAt12", Summed(RawRequest(-3, 7, {0})), ERequestScan::Valid},
        {"LongestRequest", Request(1, std::string(SERIAL_REQUEST_MAX - 17, 'n').c_str()),
         ERequestScan::Valid},
        {"ThirdByteDiffers", Bytes{0xAA, 0x55, 0x00}, ERequestScan::NotRequest},
        {"ZeroBytesDiffer", WithByte(valid, 5, 0x01), ERequestScan::NotRequest},
        {"ChecksumBeyondTheGatheredBytes", kChecksumBeyond, ERequestScan::NotRequest},
        {"NoTrailerWithin255", noTrailer, ERequestScan::NotRequest},
        {"NoTrailerYetAt254", Prefix(noTrailer, 254), ERequestScan::Incomplete},
    };
}

class RequestScan : public ::testing::TestWithParam<CScanCase> {};

TEST_P(RequestScan, Classifies) {
    const Bytes& b = GetParam().bytes;
    EXPECT_EQ(ScanSerialBootRequest(b.data(), b.size()), GetParam().eExpected);
}

INSTANTIATE_TEST_SUITE_P(SerialRequest, RequestScan, ::testing::ValuesIn(ScanCases()), CaseName());

TEST(SerialRequest, EveryPrefixOfAValidRequestWaitsForMore) {
    const Bytes b = Request(1, "unit-name");
    for (size_t n = 1; n < b.size(); ++n)
        EXPECT_EQ(ScanSerialBootRequest(b.data(), n), ERequestScan::Incomplete) << n;
    EXPECT_EQ(ScanSerialBootRequest(b.data(), b.size()), ERequestScan::Valid);
}

// Gathering through the port: splits, mismatches, stops.
class RequestGathering : public ::testing::Test {
protected:
    CSerialTestApp t;
    CTransferSerial port{t.server, "COM1", 115200, false};
    CFakeSerialDevice& dev = *t.serial.Last();
    uint8_t buf[512] = {};

    int Check(const Bytes& first) {
        std::copy(first.begin(), first.end(), buf);
        return t.server.CheckSerialBootRequest(*port.LineWithoutWorker(), buf,
                                               static_cast<int>(first.size()));
    }
};

TEST_F(RequestGathering, NeverReadsPastTheLongestRequest) {
    dev.Feed(Bytes(400, 0x33));
    EXPECT_EQ(Check(Prefix(kShortest, 6)), SERIAL_REQUEST_MAX);
    EXPECT_TRUE(dev.InputLeft());
    EXPECT_EQ(buf[SERIAL_REQUEST_MAX], 0);
}

TEST_F(RequestGathering, ChecksumBeyondTheRequestIsNoRequestAndNoLogLine) {
    EXPECT_GT(Check(kChecksumBeyond), 0);
    EXPECT_TRUE(t.sys.poster.LogLines().empty());
}

TEST_F(RequestGathering, StoppedServersOrAPortFailureEndTheGathering) {
    t.bServersRunning = false;
    EXPECT_EQ(Check(Prefix(kShortest, 8)), 8);
    t.bServersRunning = true;
    dev.m_bFailRead = true;
    EXPECT_EQ(Check(Prefix(kShortest, 8)), -1);
}

TEST_F(RequestGathering, QuietUnitKeepsTheGatheringWaitingInShortReads) {
    const Bytes req = kShortest;
    const uint32_t dwStart = t.sys.clock.GetTickCount();
    dev.Feed(Bytes(req.begin() + 8, req.end()), dwStart + 5000);
    EXPECT_EQ(Check(Prefix(req, 8)), 0);
    EXPECT_GE(t.sys.clock.GetTickCount() - dwStart, 5000u);
}

}  // namespace
