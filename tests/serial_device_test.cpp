// The termios serial device over real pseudo-terminals, and the port name mapping.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "platform/LastError.h"
#include "platform/SerialDevice.h"
#include "tests/TestImage.h"

namespace {

struct CPathCase {
    const char* pszPort;
    const char* pszComDir;
    const char* pszPath;
};

class SerialDevicePathCases : public ::testing::TestWithParam<CPathCase> {};

TEST_P(SerialDevicePathCases, MapsTheName) {
    EXPECT_EQ(SerialDevicePath(GetParam().pszPort, GetParam().pszComDir), GetParam().pszPath);
}

INSTANTIATE_TEST_SUITE_P(
    SerialDevice, SerialDevicePathCases,
    ::testing::Values(
        CPathCase{"COM1", nullptr, "/dev/ttyS0"}, CPathCase{"COM32", nullptr, "/dev/ttyS31"},
        CPathCase{"COM33", nullptr, "/dev/ttyUSB0"}, CPathCase{"com64", nullptr, "/dev/ttyUSB31"},
        CPathCase{"COM65", nullptr, "/dev/ttyACM0"}, CPathCase{"COM96", nullptr, "/dev/ttyACM31"},
        CPathCase{"COM97", nullptr, ""}, CPathCase{"COM0", nullptr, ""},
        CPathCase{"COM01", nullptr, ""}, CPathCase{"COM1x", nullptr, ""},
        CPathCase{"LPT1", nullptr, ""}, CPathCase{"/dev/pts/7", nullptr, "/dev/pts/7"},
        CPathCase{"/dev/pts/7", "/tmp/ports", "/dev/pts/7"},
        CPathCase{"COM3", "/tmp/ports", "/tmp/ports/COM3"},
        CPathCase{"COM200", "/tmp/ports/", "/tmp/ports/COM200"},
        CPathCase{"COM3", "", "/dev/ttyS2"}, CPathCase{"../COM3", "/tmp/ports", ""}));

TEST(SerialDevice, WriteTimeOutPerByte) {
    const std::pair<int32_t, uint32_t> cases[] = {{9600, 2},   {14400, 1}, {19200, 1}, {28800, 0},
                                                  {115200, 0}, {1200, 16}, {0, 0}};
    for (const auto& [nBaud, dwMs] : cases) EXPECT_EQ(SerialWriteTimeoutPerByte(nBaud), dwMs);
}

// A pseudo-terminal whose slave the factory opens; the test plays the unit on the master.
class PtyDevice : public ::testing::Test {
protected:
    int m_fdMaster = -1;
    std::string m_strSlave;
    CSerialPortFactory m_factory;
    CTempDir m_dir;

    void SetUp() override {
        m_fdMaster = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        ASSERT_GE(m_fdMaster, 0);
        ASSERT_EQ(grantpt(m_fdMaster), 0);
        ASSERT_EQ(unlockpt(m_fdMaster), 0);
        m_strSlave = ptsname(m_fdMaster);
    }
    void TearDown() override {
        if (m_fdMaster >= 0) close(m_fdMaster);
    }
    std::vector<uint8_t> DeviceRead(ISerialDevice& dev, size_t n) {
        std::vector<uint8_t> out;
        for (int i = 0; i < 100 && out.size() < n; ++i) {
            dev.WaitReadable(20);
            uint8_t buf[512];
            const int r = dev.Read(buf, std::min(sizeof buf, n - out.size()));
            if (r > 0) out.insert(out.end(), buf, buf + r);
        }
        return out;
    }
};

// Server to unit is e2e.serial_boot's: its units check a pseudo-random image byte for byte.
TEST_F(PtyDevice, EveryByteValueFromTheUnitArrivesUnchanged) {
    auto pDev = m_factory.Open(m_strSlave, 115200);
    ASSERT_NE(pDev, nullptr) << SystemErrorText(GetLastError());
    std::vector<uint8_t> all(256);
    for (int i = 0; i < 256; ++i) all[i] = static_cast<uint8_t>(i);
    // CR, LF, XON, XOFF, DEL and the interrupt characters included.
    ASSERT_EQ(write(m_fdMaster, all.data(), all.size()), 256);
    EXPECT_EQ(DeviceRead(*pDev, 256), all);
}

TEST_F(PtyDevice, EveryRateOpensAndZeroIsRefused) {
    for (int32_t nBaud : {9600, 14400, 19200, 28800, 57600, 115200, 250000}) {
        auto pDev = m_factory.Open(m_strSlave, nBaud);
        EXPECT_NE(pDev, nullptr) << nBaud;
    }
    EXPECT_EQ(m_factory.Open(m_strSlave, 0), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<uint32_t>(EINVAL));
}

TEST_F(PtyDevice, PortIsExclusiveAndProbedByItsComName) {
    ASSERT_EQ(symlink(m_strSlave.c_str(), m_dir.Path("COM7").c_str()), 0);
    setenv("ORXBOOT_COMDIR", m_dir.Root().c_str(), 1);
    {
        auto pDev = m_factory.Open("COM7", 115200);
        ASSERT_NE(pDev, nullptr);
        EXPECT_FALSE(m_factory.Probe("COM7"));
        EXPECT_EQ(m_factory.Open("COM7", 115200), nullptr);
        EXPECT_EQ(GetLastError(), static_cast<uint32_t>(EBUSY));
        EXPECT_EQ(m_factory.Open(m_strSlave, 115200), nullptr);
    }
    EXPECT_TRUE(m_factory.Probe("COM7"));
    unsetenv("ORXBOOT_COMDIR");
}

TEST_F(PtyDevice, RegularFileIsNoPort) {
    EXPECT_EQ(m_factory.Open(WriteFile(m_dir.Path("notatty"), {}), 115200), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<uint32_t>(ENOTTY));
}

// Ending the wait on Wake and on input is what e2e.serial_boot (case_stop, case_three_ports)
// fails on; a quiet wait must still last its time rather than spin.
TEST_F(PtyDevice, QuietWaitLastsItsTimeAndReadsNothing) {
    auto pDev = m_factory.Open(m_strSlave, 115200);
    ASSERT_NE(pDev, nullptr);
    const auto start = std::chrono::steady_clock::now();
    pDev->WaitReadable(30);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(29));
    uint8_t b = 0;
    EXPECT_EQ(pDev->Read(&b, 1), 0);
}

TEST_F(PtyDevice, BlockedWriteReturnsEarlyOnWake) {
    auto pDev = m_factory.Open(m_strSlave, 115200);
    ASSERT_NE(pDev, nullptr);
    const std::vector<uint8_t> big(1 << 20, 'z');
    std::thread waker([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        pDev->Wake();
    });
    const int n = pDev->Write(big.data(), big.size());
    waker.join();
    EXPECT_GT(n, 0);
    EXPECT_LT(n, static_cast<int>(big.size()));
}

TEST_F(PtyDevice, PurgeDropsWhatArrived) {
    auto pDev = m_factory.Open(m_strSlave, 115200);
    ASSERT_NE(pDev, nullptr);
    ASSERT_EQ(write(m_fdMaster, "stale", 5), 5);
    pDev->WaitReadable(1000);  // the bytes have arrived
    pDev->PurgeInput();
    ASSERT_EQ(write(m_fdMaster, "\n", 1), 1);
    EXPECT_EQ(DeviceRead(*pDev, 1), std::vector<uint8_t>{'\n'});
}

}  // namespace
