#include "platform/Process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>
#include <utility>

#include "platform/LastError.h"

extern char** environ;

namespace {
using Clock = std::chrono::steady_clock;
// How often the children are looked at: often while one may still be reported on time,
// seldom while they are only waited for to be reaped.
constexpr int kPollMs = 5;
constexpr int kReapPollMs = 200;

struct CChild {
    pid_t pid;
    Clock::time_point deadline;
    FProcessEnd fnEnd;
    bool bTimedOut = false;  // told already that it outlived its wait
};

// True when the child has ended and is reaped now (or was already).
bool Reaped(pid_t pid) {
    int nStatus = 0;
    const pid_t r = waitpid(pid, &nStatus, WNOHANG);
    return r == pid || (r < 0 && errno == ECHILD);
}
}  // namespace

struct CProcessRunner::CState {
    QTimer timer;
    std::vector<CChild> arrChildren;
};

CProcessRunner::CProcessRunner() : m_pState(std::make_unique<CState>()) {
    QObject::connect(&m_pState->timer, &QTimer::timeout, [this] { Poll(); });
}

// What still runs is reaped by the system once this process has ended; whoever needed to
// wait for it did so with WaitForNextEnd.
CProcessRunner::~CProcessRunner() = default;

bool CProcessRunner::Start(const std::vector<std::string>& argv, uint32_t dwWaitMs,
                           FProcessEnd fnEnd) {
    if (argv.empty()) {
        SetLastError(EINVAL);
        return false;
    }
    std::vector<char*> args;
    for (const auto& s : argv) args.push_back(const_cast<char*>(s.c_str()));
    args.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // Hidden: the command's own output must not mix with ours.
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        SetLastError(static_cast<uint32_t>(rc));
        return false;
    }
    m_pState->arrChildren.push_back(
        {pid, Clock::now() + std::chrono::milliseconds(dwWaitMs), std::move(fnEnd)});
    m_pState->timer.start(kPollMs);
    return true;
}

bool CProcessRunner::WaitForNextEnd() {
    for (;;) {
        const std::vector<CChild>& arr = m_pState->arrChildren;
        if (std::none_of(arr.begin(), arr.end(), [](const CChild& c) { return !c.bTimedOut; }))
            return false;
        if (Poll() > 0) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
    }
}

size_t CProcessRunner::Poll() {
    std::vector<std::pair<FProcessEnd, ERunResult>> arrDue;
    size_t nInWait = 0;     // reports of programs that were within their wait
    bool bWaiting = false;  // a child still within its wait
    const Clock::time_point now = Clock::now();
    std::erase_if(m_pState->arrChildren, [&](CChild& c) {
        if (Reaped(c.pid)) {
            arrDue.emplace_back(std::move(c.fnEnd),
                                c.bTimedOut ? ERunResult::EndedLate : ERunResult::Finished);
            nInWait += c.bTimedOut ? 0 : 1;
            return true;
        }
        if (!c.bTimedOut && now >= c.deadline) {
            arrDue.emplace_back(c.fnEnd, ERunResult::TimedOut);
            c.bTimedOut = true;
            ++nInWait;
        }
        bWaiting |= !c.bTimedOut;
        return false;
    });
    if (m_pState->arrChildren.empty()) {
        m_pState->timer.stop();
    } else {
        m_pState->timer.setInterval(bWaiting ? kPollMs : kReapPollMs);
    }
    // Last: a callback may start another program.
    for (auto& [fnEnd, eResult] : arrDue) {
        if (fnEnd) fnEnd(eResult);
    }
    return nInWait;
}
