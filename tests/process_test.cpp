// Running a helper program: no wait on the caller's thread, a bounded wait for the end,
// no shell between us and the program, nothing left unreaped.
#include "platform/Process.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QCoreApplication>
#include <chrono>
#include <filesystem>
#include <optional>

#include "platform/EventLoop.h"
#include "platform/LastError.h"
#include "tests/CaseName.h"
#include "tests/TestImage.h"

namespace {

using Clock = std::chrono::steady_clock;

long MsSince(Clock::time_point start) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

// Whether this process has a child, running or ended and not reaped.
bool HasChildren() {
    siginfo_t info{};
    return waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) == 0;
}

class ProcessTest : public ::testing::Test {
protected:
    std::optional<ERunResult> WaitForEnd(long nMs) {
        const Clock::time_point start = Clock::now();
        while (m_arrResults.empty() && MsSince(start) < nMs) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
        }
        return m_arrResults.empty() ? std::nullopt : std::optional(m_arrResults.front());
    }
    FProcessEnd Recorder() {
        return [this](ERunResult e) { m_arrResults.push_back(e); };
    }
    int m_argc = 1;
    char m_szName[10] = "orx_tests";
    char* m_argv[2] = {m_szName, nullptr};
    QCoreApplication m_qapp{m_argc, m_argv};
    CProcessRunner runner;
    std::vector<ERunResult> m_arrResults;
};

struct CRunCase {
    const char* pszName;
    std::vector<std::string> argv;
    uint32_t dwWaitMs;
    std::optional<ERunResult> eResult;  // none: it does not start
    uint32_t dwError;                   // the last error when it did not start
};

const CRunCase kRunCases[] = {
    {"finishes", {"true"}, 5000, ERunResult::Finished, 0},
    {"failing program still finished", {"false"}, 5000, ERunResult::Finished, 0},
    {"outlives the wait", {"sleep", "0.3"}, 50, ERunResult::TimedOut, 0},
    {"zero wait", {"sleep", "0.3"}, 0, ERunResult::TimedOut, 0},
    {"missing program", {"orx-no-such-program"}, 5000, std::nullopt, ENOENT},
    {"nothing to run", {}, 5000, std::nullopt, EINVAL},
};

class ProcessRun : public ProcessTest, public ::testing::WithParamInterface<CRunCase> {};

TEST_P(ProcessRun, StartsAtOnceAndTellsTheEndWithinTheWait) {
    const CRunCase& c = GetParam();
    SetLastError(0);
    const Clock::time_point start = Clock::now();
    const bool bStarted = runner.Start(c.argv, c.dwWaitMs, Recorder());
    // The caller is the UI thread: it never waits for the program.
    EXPECT_LT(MsSince(start), 100);
    ASSERT_EQ(bStarted, c.eResult.has_value());
    if (!bStarted) {
        EXPECT_EQ(GetLastError(), c.dwError);
        return;
    }
    EXPECT_EQ(WaitForEnd(c.dwWaitMs + 500), c.eResult);
    // A program that outlived the wait is reaped when it ends all the same, and told.
    const Clock::time_point waitStart = Clock::now();
    while (HasChildren() && MsSince(waitStart) < 3000) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }
    EXPECT_FALSE(HasChildren());
    QCoreApplication::processEvents();
    const std::vector<ERunResult> arrLate = {ERunResult::TimedOut, ERunResult::EndedLate};
    EXPECT_EQ(m_arrResults,
              c.eResult == ERunResult::TimedOut ? arrLate : std::vector<ERunResult>{*c.eResult});
}

INSTANTIATE_TEST_SUITE_P(Cases, ProcessRun, ::testing::ValuesIn(kRunCases), CaseName());

// An argument from the network (a unit's address) must reach the program as one word.
TEST_F(ProcessTest, NoShellSplitsOrRunsTheArguments) {
    CTempDir dir;
    const std::string strOdd = dir.Path("a b;touch ") + dir.Path("c") + " $(touch x)";
    ASSERT_TRUE(runner.Start({"mkdir", "-p", strOdd}, 5000, Recorder()));
    ASSERT_EQ(WaitForEnd(5000), ERunResult::Finished);
    std::vector<std::string> arrNames;
    for (const auto& e : std::filesystem::directory_iterator(dir.Root()))
        arrNames.push_back(e.path().filename());
    EXPECT_EQ(arrNames, std::vector<std::string>{"a b;touch "}) << "one folder, nothing else";
}

}  // namespace
