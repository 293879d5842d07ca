// Reference for the serial go-ahead latency: the round trip of a pseudo-terminal pair with
// the least possible work on the far side (wait for input, read the LF, write a 256-byte
// block). The server cannot answer faster than this; the benchmark compares against it.
// Usage: orx-pty-rtt [rounds] [pause between rounds in microseconds]
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {
void MakeRaw(int fd) {
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    tcsetattr(fd, TCSANOW, &t);
}
}  // namespace

int main(int argc, char** argv) {
    const int nRounds = argc > 1 ? std::atoi(argv[1]) : 2000;
    // The pause between rounds, as a unit paced at its line rate leaves the line idle.
    const int nPauseUs = argc > 2 ? std::atoi(argv[2]) : 0;
    const int fdMaster = posix_openpt(O_RDWR | O_NOCTTY);
    if (fdMaster < 0 || grantpt(fdMaster) != 0 || unlockpt(fdMaster) != 0) return 1;
    const int fdSlave = open(ptsname(fdMaster), O_RDWR | O_NOCTTY);
    if (fdSlave < 0) return 1;
    MakeRaw(fdMaster);
    MakeRaw(fdSlave);

    std::thread echo([fdSlave, nRounds] {
        std::vector<char> block(256, 'x');
        for (int i = 0; i < nRounds; ++i) {
            pollfd p{fdSlave, POLLIN, 0};
            poll(&p, 1, -1);
            char c;
            if (read(fdSlave, &c, 1) != 1) return;
            if (write(fdSlave, block.data(), block.size()) < 0) return;
        }
    });

    std::vector<long> arrUs;
    char buf[512];
    for (int i = 0; i < nRounds; ++i) {
        if (nPauseUs > 0) std::this_thread::sleep_for(std::chrono::microseconds(nPauseUs));
        const auto t0 = std::chrono::steady_clock::now();
        if (write(fdMaster, "\n", 1) != 1) return 1;
        size_t nGot = 0;
        bool bFirst = true;
        while (nGot < 256) {
            pollfd p{fdMaster, POLLIN, 0};
            poll(&p, 1, 2000);
            const ssize_t n = read(fdMaster, buf, sizeof buf);
            if (n <= 0) return 1;
            if (bFirst) {
                arrUs.push_back(std::chrono::duration_cast<std::chrono::microseconds>(
                                    std::chrono::steady_clock::now() - t0)
                                    .count());
                bFirst = false;
            }
            nGot += static_cast<size_t>(n);
        }
    }
    echo.join();
    std::sort(arrUs.begin(), arrUs.end());
    auto at = [&](double q) { return arrUs[std::min(arrUs.size() - 1, size_t(q * arrUs.size()))]; };
    std::printf("round trip: pty_rtt_p50_us=%ld pty_rtt_p99_us=%ld pty_rtt_max_us=%ld\n", at(0.5),
                at(0.99), arrUs.back());
    return 0;
}
