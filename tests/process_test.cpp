// Running a helper program: bounded waits, no shell between us and the program.
#include "platform/Process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "platform/LastError.h"
#include "tests/CaseName.h"
#include "tests/TestImage.h"

namespace {

struct CRunCase {
    const char* pszName;
    std::vector<std::string> argv;
    uint32_t dwWaitMs;
    ERunResult eResult;
    uint32_t dwError;  // the last error when the start failed
};

const CRunCase kRunCases[] = {
    {"finishes", {"true"}, 5000, ERunResult::Finished, 0},
    {"failing program still finished", {"false"}, 5000, ERunResult::Finished, 0},
    {"outlives the wait", {"sleep", "1"}, 50, ERunResult::TimedOut, 0},
    {"zero wait", {"sleep", "1"}, 0, ERunResult::TimedOut, 0},
    {"missing program", {"orx-no-such-program"}, 5000, ERunResult::StartFailed, ENOENT},
    {"nothing to run", {}, 5000, ERunResult::StartFailed, EINVAL},
};

class ProcessRun : public ::testing::TestWithParam<CRunCase> {};

TEST_P(ProcessRun, ReturnsWithinTheWait) {
    const CRunCase& c = GetParam();
    CProcessRunner runner;
    SetLastError(0);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(runner.Run(c.argv, c.dwWaitMs), c.eResult);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start)
                        .count();
    // The caller is the UI thread: the wait is a promise, with room for a busy machine.
    EXPECT_LT(ms, c.dwWaitMs + 500);
    if (c.eResult == ERunResult::StartFailed) {
        EXPECT_EQ(GetLastError(), c.dwError);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ProcessRun, ::testing::ValuesIn(kRunCases), CaseName());

// An argument from the network (a unit's address) must reach the program as one word.
TEST(ProcessRunArgs, NoShellSplitsOrRunsTheArguments) {
    CTempDir dir;
    const std::string strOdd = dir.Path("a b;touch ") + dir.Path("c") + " $(touch x)";
    CProcessRunner runner;
    ASSERT_EQ(runner.Run({"mkdir", "-p", strOdd}, 5000), ERunResult::Finished);
    std::vector<std::string> arrNames;
    for (const auto& e : std::filesystem::directory_iterator(dir.Root()))
        arrNames.push_back(e.path().filename());
    EXPECT_EQ(arrNames, std::vector<std::string>{"a b;touch "}) << "one folder, nothing else";
}

}  // namespace
