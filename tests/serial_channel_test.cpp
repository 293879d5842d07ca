// The serial port channel: ring, reads with deadlines, terminator waits, keys, failures.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "tests/CaseName.h"
#include "tests/SerialTestUtil.h"

namespace {

class SerialChannel : public ::testing::Test {
protected:
    CSerialTestApp t;
    CTransferSerial port{t.server, "COM1", 115200, false};
    CTransferSerial::CLine& line = *port.LineWithoutWorker();
    CFakeSerialDevice& dev = *t.serial.Last();
};

TEST_F(SerialChannel, FullRingKeepsOneSlotFreeAndDropsTheRest) {
    std::vector<uint8_t> typed(300, 'k');
    EXPECT_TRUE(port.QueueSend(typed.data(), 300));
    EXPECT_TRUE(port.QueueSend(typed.data(), 1));
    // Flushed as one run on the next quiet read.
    EXPECT_EQ(line.Read(typed.data(), 10, 0), 0);
    ASSERT_EQ(dev.Writes().size(), 1u);
    EXPECT_EQ(dev.Writes()[0].size(), 255u);
    EXPECT_TRUE(port.RingEmpty());
}

TEST_F(SerialChannel, WrappedRingGoesOutInTwoRunsInOrder) {
    const std::vector<uint8_t> before(250, 'k');
    ASSERT_TRUE(port.QueueSend(before.data(), 250));
    uint8_t buf[8];
    EXPECT_EQ(line.Read(buf, 8, 0), 0);  // the ring's indexes now stand at 250
    const std::vector<uint8_t> typed = Bytes("0123456789");
    ASSERT_TRUE(port.QueueSend(typed.data(), 10));
    EXPECT_EQ(line.Read(buf, 8, 0), 0);
    EXPECT_EQ(line.Read(buf, 8, 0), 0);
    const auto calls = dev.Writes();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[1], Bytes("012345"));
    EXPECT_EQ(calls[2], Bytes("6789"));
}

struct CReadCase {
    const char* pszName;
    uint32_t dwTimeoutMs;
    int nInputAtMs;  // -1: the line stays quiet
    int nResult;
    uint32_t dwTookMs;
};

class ReadCases : public SerialChannel, public ::testing::WithParamInterface<CReadCase> {};

// A quiet read waits out its time on the device, without spinning; input ends it early.
TEST_P(ReadCases, ReturnsAtTheRightTime) {
    const CReadCase& c = GetParam();
    const uint32_t dwStart = t.sys.clock.GetTickCount();
    if (c.nInputAtMs >= 0) dev.Feed("late", dwStart + static_cast<uint32_t>(c.nInputAtMs));
    uint8_t buf[8];
    EXPECT_EQ(line.Read(buf, 8, c.dwTimeoutMs), c.nResult);
    EXPECT_EQ(t.sys.clock.GetTickCount() - dwStart, c.dwTookMs);
    EXPECT_LE(dev.m_nReads, 3);
    EXPECT_LE(dev.m_nWaits, 2);
}

INSTANTIATE_TEST_SUITE_P(SerialChannel, ReadCases,
                         ::testing::Values(CReadCase{"NoTimeOutReadsOnce", 0, -1, 0, 0},
                                           CReadCase{"QuietLine", 1000, -1, 0, 1000},
                                           CReadCase{"InputDuringTheWait", 1000, 400, 4, 400}),
                         CaseName());

struct CWaitCase {
    const char* pszName;
    std::vector<std::string> chunks;
    int nTerminator;
    int nLimit;
    int nResult;
    std::vector<std::string> forwarded;
};

class WaitForCharCases : public SerialChannel, public ::testing::WithParamInterface<CWaitCase> {};

TEST_P(WaitForCharCases, ResultAndForwardedBytes) {
    const CWaitCase& c = GetParam();
    for (const auto& s : c.chunks) dev.Feed(s);
    std::vector<uint8_t> buf(600);
    const int n = line.WaitForChar(c.nTerminator, 2000, buf.data(), c.nLimit);
    EXPECT_EQ(n, c.nResult);
    EXPECT_EQ(t.TerminalChunks(), c.forwarded);
    // What was found is in the buffer, the terminator included.
    std::string strIn;
    for (const auto& s : c.chunks) strIn += s;
    EXPECT_EQ(std::string(buf.begin(), buf.begin() + n), strIn.substr(0, static_cast<size_t>(n)));
}

const std::string kDots253(253, '.');

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    SerialChannel, WaitForCharCases,
    ::testing::Values(
        CWaitCase{"TerminatorCountsAndIsNotForwarded", {"OK\n"}, '\n', 255, 3, {"O", "K"}},
        CWaitCase{"BytesAfterTheTerminatorStay", {"RE", "ADY\nB"}, '\n', 255, 6, {"R", "E", "A", "D", "Y"}},
        CWaitCase{"LimitOfOneEndsAtTheFirstByte", {"\n"}, '\n', 1, 0, {}},
        CWaitCase{"TerminatorAsTheLimitByteIsNotFound", {kDots253 + ".\n"}, '\n', 255, 0, std::vector<std::string>(254, ".")},
        CWaitCase{"TerminatorJustInsideTheLimit", {kDots253 + "\n"}, '\n', 255, 254, std::vector<std::string>(253, ".")},
        CWaitCase{"SilenceIsATimeOut", {}, '\n', 255, 0, {}},
        CWaitCase{"NeverMatchingTerminatorShowsAll", {"ab", "c"}, -1, 32768, 0, {"a", "b", "c"}}),
    CaseName());
// clang-format on

TEST_F(SerialChannel, WaitForCharGivesUpAtItsDeadlineWhileBytesKeepComing) {
    const uint32_t dwNow = t.sys.clock.GetTickCount();
    for (uint32_t i = 0; i < 30; ++i) dev.Feed(".", dwNow + i * 100);
    EXPECT_EQ(line.WaitForChar('\n', 2000, nullptr, 255), 0);
    EXPECT_LE(t.sys.clock.GetTickCount() - dwNow, 2100u);
}

// A failed read closes the port for good: every later operation fails at once. A failed
// write takes the same Close (SerialDownload.WriteFailureEndsTheDownloadAsFailed).
TEST_F(SerialChannel, IoFailureClosesThePortForGood) {
    dev.m_bFailRead = true;
    uint8_t buf[4] = {'x'};
    EXPECT_EQ(line.Read(buf, 4, 1000), -1);
    EXPECT_EQ(port.State(), SERIAL_STATE_CLOSED);
    EXPECT_TRUE(line.Stopped());
    EXPECT_EQ(dev.m_nCloses, 1);
    const int nReads = dev.m_nReads;
    EXPECT_EQ(line.Read(buf, 4, 1000), -1);
    EXPECT_EQ(dev.m_nReads, nReads);
    EXPECT_FALSE(line.SendKey('x', 300));
    EXPECT_FALSE(line.Write(buf, 1));
}

TEST_F(SerialChannel, ShortWritesAreResumedAfterTenMilliseconds) {
    dev.m_nWriteMax = 4;
    const std::vector<uint8_t> data = Bytes("0123456789");
    const uint32_t dwStart = t.sys.clock.GetTickCount();
    EXPECT_TRUE(line.Write(data.data(), 10));
    EXPECT_EQ(dev.Written(), data);
    EXPECT_EQ(dev.Writes().size(), 3u);
    EXPECT_EQ(t.sys.clock.GetTickCount() - dwStart, 20u);
}

// Whatever the factory refuses, the port keeps its error, starts no worker and is not used.
TEST(SerialPortOpen, RefusedPortIsNotUsableAndTellsWhy) {
    CSerialTestApp t;
    t.serial.m_busy.insert("COM1");
    CTransferSerial port(t.server, "COM1", 115200);
    EXPECT_EQ(GetLastError(), 16u);  // EBUSY
    EXPECT_FALSE(port.Usable());
    ASSERT_NE(port.LineWithoutWorker(), nullptr);  // no worker started
    EXPECT_TRUE(port.LineWithoutWorker()->Stopped());
}

TEST(SerialPortList, ListsOpenablePortsInNumberOrder) {
    CSerialTestApp t;
    t.serial.m_present = {"COM200", "COM12", "COM1", "COM3"};
    t.serial.m_busy = {"COM3"};
    std::vector<std::string> ports;
    EXPECT_TRUE(EnumerateSerialPorts(t.serial, ports));
    EXPECT_EQ(ports, (std::vector<std::string>{"COM1", "COM12", "COM200"}));
    EXPECT_EQ(t.serial.m_probed.size(), 255u);
    EXPECT_EQ(t.serial.m_probed.back(), "COM255");
}

// A worker thread with real time: a typed key is seen within milliseconds.
TEST(SerialWorker, TypedKeyReachesTheUnitWithoutWaitingForTheReadTimeOut) {
    CSerialTestApp t{true};
    t.bServersRunning = false;
    auto pPort = std::make_unique<CTransferSerial>(t.server, "COM1", 115200);
    CFakeSerialDevice& dev = *t.serial.Last();
    while (dev.m_nWaits == 0) std::this_thread::yield();
    const uint8_t key = 'q';
    ASSERT_TRUE(pPort->QueueSend(&key, 1));
    for (int i = 0; i < 100 && dev.Written().empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(dev.Written(), std::vector<uint8_t>{'q'});
}

// Until the condition holds, for at most 5 s.
bool WaitUntil(const std::function<bool()>& fn) {
    for (int i = 0; i < 500 && !fn(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return fn();
}

// A pulled adapter is told once, tried only a few times a second while it is gone, and
// served again when it comes back under its name; the parameter: all-ports mode.
class SerialReturn : public ::testing::TestWithParam<bool> {};

TEST_P(SerialReturn, PulledPortIsServedAgainWhenItComesBack) {
    CSerialTestApp t{true};
    t.config.m_strComPort = "COM2";
    t.config.m_nComBaud = 115200;
    t.serial.m_present = {"COM2"};
    ASSERT_TRUE(GetParam() ? t.server.OpenAllSerialPorts() : t.server.OpenSerialPort());
    CFakeSerialDevice* pPulled = t.serial.Last();
    const int nOpens = t.serial.Opens();
    t.serial.SetPresent("COM2", false);
    pPulled->m_bFailRead = true;
    pPulled->Wake();
    const std::string strLost = "COM2: Input/output error (5)";
    ASSERT_TRUE(WaitUntil([&] {
        return !t.sys.poster.LogLines().empty() && t.sys.poster.LogLines().back() == strLost;
    }));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    t.serial.SetPresent("COM2", true);
    ASSERT_TRUE(WaitUntil([&] { return t.serial.Last() != pPulled; }));
    EXPECT_LE(t.serial.Opens() - nOpens, 6);
    t.serial.Last()->Feed("back\r\n");
    EXPECT_TRUE(WaitUntil([&] { return t.TerminalText().ends_with("back\r\n"); }));
    std::vector<std::string> arrLines = {strLost, "Serial port 'COM2' ready..."};
    if (GetParam()) arrLines.insert(arrLines.begin(), "Serial port 'COM2' ready...");
    EXPECT_EQ(t.sys.poster.LogLines(), arrLines);
    t.server.CloseSerialPorts();
}

INSTANTIATE_TEST_SUITE_P(Modes, SerialReturn, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "AllPorts" : "OnePort"; });

}  // namespace
