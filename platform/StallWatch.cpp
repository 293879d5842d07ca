#include "platform/StallWatch.h"

#include <fcntl.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {
constexpr int kTickMs = 10;
constexpr qint64 kStallMs = 50;
}  // namespace

struct CStallWatch::CState {
    std::string strReportPath;
    QTimer timer;
    QElapsedTimer clock;
    qint64 nLastTickMs = 0;
    qint64 nLongestMs = 0;
    qint64 nLongestAtMs = 0;
    int nStalls = 0;
};

CStallWatch::CStallWatch() {
    const char* pszPath = std::getenv("ORX_STALL_REPORT");
    if (!pszPath || !*pszPath) return;
    m_pState = std::make_unique<CState>();
    CState& s = *m_pState;
    s.strReportPath = pszPath;
    s.clock.start();
    s.timer.setTimerType(Qt::PreciseTimer);
    s.timer.setInterval(kTickMs);
    QObject::connect(&s.timer, &QTimer::timeout, [&s] {
        const qint64 nNowMs = s.clock.elapsed();
        const qint64 nGapMs = nNowMs - s.nLastTickMs;
        if (nGapMs > s.nLongestMs) {
            s.nLongestMs = nGapMs;
            s.nLongestAtMs = s.nLastTickMs;
        }
        if (nGapMs > kStallMs) ++s.nStalls;
        s.nLastTickMs = nNowMs;
    });
    s.timer.start();
}

CStallWatch::~CStallWatch() {
    if (!m_pState) return;
    const CState& s = *m_pState;
    char szLine[160];
    const int nLen = std::snprintf(szLine, sizeof szLine,
                                   "pid=%d longest_ms=%lld at_ms=%lld over_50ms=%d run_ms=%lld\n",
                                   static_cast<int>(getpid()), static_cast<long long>(s.nLongestMs),
                                   static_cast<long long>(s.nLongestAtMs), s.nStalls,
                                   static_cast<long long>(s.clock.elapsed()));
    // One append per process, so the many servers of one suite can share a file.
    const int fd = open(s.strReportPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return;
    [[maybe_unused]] const ssize_t n = write(fd, szLine, static_cast<size_t>(nLen));
    close(fd);
}
