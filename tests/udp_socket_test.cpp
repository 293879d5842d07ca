// The real datagram socket, on loopback inside a private network namespace.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/LastError.h"
#include "platform/UdpSocket.h"
#include "tests/PrivateNet.h"

namespace {

// A datagram that does not fit the buffer is an error, never a packet cut short: a cut
// boot request or block would pass as a whole one.
int ReceiveSizes() {
    if (!BringLoopbackUp()) return 77;
    CUdpSocket server([](HWND, uint32_t, int64_t) {});
    CUdpSocket unit([](HWND, uint32_t, int64_t) {});
    if (!server.Create(980) || !unit.Create(4711)) return 1;
    uint32_t dwLoopback = 0;
    ParseDottedAddress("127.0.0.1", dwLoopback);
    const struct {
        size_t nSent;
        int nResult;  // what ReceiveFrom into 516 bytes gives
    } cases[] = {{516, 516}, {517, -1}, {1500, -1}, {64, 64}, {0, 0}};
    int nCheck = 10;
    for (const auto& c : cases) {
        const std::vector<uint8_t> sent(c.nSent, 0x5A);
        if (unit.SendTo(sent.data(), sent.size(), {dwLoopback, 980}) != int(c.nSent)) return 2;
        std::vector<uint8_t> buf(516 + 16, 0);
        CSockAddr from;
        // Loopback delivers at once, but wait until the datagram is there rather than assume.
        int n = -1;
        for (int i = 0; i < 1000; ++i) {
            SetLastError(0);
            n = server.ReceiveFrom(buf.data(), 516, from);
            if (n >= 0 || GetLastError() != EAGAIN) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ++nCheck;
        if (n != c.nResult) return nCheck;
        if (n < 0 && GetLastError() != EMSGSIZE) return nCheck + 30;
        if (n >= 0 && from.wPort != 4711) return nCheck + 60;
        if (buf[516] != 0) return nCheck + 90;  // nothing written past the buffer
    }
    return 0;
}

TEST(UdpSocket, DatagramLargerThanTheBufferIsAnError) {
    const int nResult = InPrivateNamespace(ReceiveSizes);
    if (nResult == 77) GTEST_SKIP() << "private namespaces are not available here";
    EXPECT_EQ(nResult, 0);
}

}  // namespace
