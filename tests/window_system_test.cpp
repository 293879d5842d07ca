#include <gtest/gtest.h>

#include <QCoreApplication>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/EventLoop.h"
#include "platform/WindowSystem.h"

namespace {

// Messages posted by port worker threads are delivered on the thread that owns the event
// loop; these run under the thread sanitizer too.
class WindowSystemThreaded : public ::testing::Test {
protected:
    static constexpr int kSenders = 4;
    static constexpr int kEach = 300;

    static CMessage Numbered(int nSender, int nSeq) {
        return {WM_USER + 1, nSender, nSeq,
                "sender " + std::to_string(nSender) + " line " + std::to_string(nSeq),
                std::vector<uint8_t>(static_cast<size_t>(nSeq % 40), uint8_t(nSender))};
    }

    // Each sender posts its numbered messages while this thread delivers what has come;
    // fnDuring runs between deliveries. Returns how many posts were accepted.
    int PostFromSenders(
        HWND hWnd, const std::function<void()>& fnDuring = [] {}) {
        std::atomic<int> nAccepted{0};
        std::atomic<int> nRunning{kSenders};
        std::vector<std::thread> arrThreads;
        for (int s = 0; s < kSenders; ++s) {
            arrThreads.emplace_back([&, s] {
                for (int i = 0; i < kEach; ++i)
                    if (windows.PostMessage(hWnd, Numbered(s, i))) ++nAccepted;
                --nRunning;
            });
        }
        while (nRunning > 0) {
            ProcessPendingEvents();
            fnDuring();
        }
        for (auto& t : arrThreads) t.join();
        ProcessPendingEvents();
        return nAccepted;
    }

    int m_argc = 1;
    char m_szName[10] = "orx_tests";
    char* m_argv[2] = {m_szName, nullptr};
    QCoreApplication m_qapp{m_argc, m_argv};
    CWindowSystem windows;
};

TEST_F(WindowSystemThreaded, PostsFromManyThreadsArriveWholeAndInEachSendersOrder) {
    std::vector<int> arrNext(kSenders, 0);
    int nBad = 0;
    const HWND hWnd = windows.CreateWindow([&](CMessage& msg) {
        const int s = static_cast<int>(msg.wParam);
        const CMessage expected = Numbered(s, arrNext[static_cast<size_t>(s)]++);
        if (msg.lParam != expected.lParam ||
            std::any_cast<std::string>(msg.payload) !=
                std::any_cast<std::string>(expected.payload) ||
            msg.bytes != expected.bytes)
            ++nBad;
    });
    EXPECT_EQ(PostFromSenders(hWnd), kSenders * kEach);
    EXPECT_EQ(nBad, 0);
    EXPECT_EQ(arrNext, std::vector<int>(kSenders, kEach));
}

TEST_F(WindowSystemThreaded, WindowDestroyedWhileThreadsPostGetsNothingMore) {
    int nDelivered = 0;
    int nAtDestroy = -1;
    const HWND hWnd = windows.CreateWindow([&](CMessage&) { ++nDelivered; });
    const int nAccepted = PostFromSenders(hWnd, [&] {
        if (nAtDestroy < 0 && nDelivered >= kEach) {
            // What is still pending goes with the window, payloads and all.
            windows.DestroyWindow(hWnd);
            nAtDestroy = nDelivered;
        }
    });
    if (nAtDestroy < 0) GTEST_SKIP() << "the senders finished before the window was destroyed";
    EXPECT_EQ(nDelivered, nAtDestroy);
    EXPECT_LE(nDelivered, nAccepted);
    EXPECT_FALSE(windows.IsWindow(hWnd));
    EXPECT_FALSE(windows.PostMessage(hWnd, Numbered(0, 0)));
}

}  // namespace
