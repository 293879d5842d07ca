#include "platform/EventLoop.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>

namespace {
int g_fdSignalPipe[2] = {-1, -1};

void SignalHandler(int) {
    const char c = 1;
    // Only async-signal-safe calls here; the loop does the rest.
    [[maybe_unused]] ssize_t n = write(g_fdSignalPipe[1], &c, 1);
}
}  // namespace

int RunEventLoop() {
    return QCoreApplication::exec();
}

void QuitEventLoop(int nCode) {
    QCoreApplication::exit(nCode);
}

void ProcessPendingEvents() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

void OnTerminationSignal(std::function<void()> fn, bool bBrokenPipeEnds) {
    if (g_fdSignalPipe[0] < 0) {
        if (pipe2(g_fdSignalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    }
    auto* pNotifier =
        new QSocketNotifier(g_fdSignalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(pNotifier, &QSocketNotifier::activated, [fn] {
        char buf[16];
        while (read(g_fdSignalPipe[0], buf, sizeof buf) > 0) {
        }
        fn();
    });
    struct sigaction sa {};
    sa.sa_handler = SignalHandler;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int nSignal : {SIGINT, SIGTERM, SIGHUP}) sigaction(nSignal, &sa, nullptr);
    if (!bBrokenPipeEnds) sa.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &sa, nullptr);
}
