// Only one copy runs at a time, and a copy that ended never blocks the next.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/InstanceLock.h"
#include "platform/LastError.h"
#include "tests/TestImage.h"

namespace {

class InstanceLock : public ::testing::Test {
protected:
    // A child process that takes the lock, reports through a socket, and holds it until the
    // socket back to it closes.
    pid_t StartHolder(const char* pszName) {
        int fds[2];
        if (socketpair(AF_UNIX, SOCK_STREAM, 0, fds) != 0) return -1;
        const pid_t pid = fork();
        if (pid == 0) {
            close(fds[0]);
            char c = AcquireInstanceLock(pszName) ? 'y' : 'n';
            (void)!write(fds[1], &c, 1);
            (void)!read(fds[1], &c, 1);
            _exit(0);
        }
        close(fds[1]);
        char c = 0;
        m_fdRelease = fds[0];
        return read(fds[0], &c, 1) == 1 && c == 'y' ? pid : -1;
    }
    void EndHolder(pid_t pid) {
        close(m_fdRelease);
        int nStatus = 0;
        waitpid(pid, &nStatus, 0);
    }
    CTempDir m_dir;
    CScopedEnv m_runtimeDir{"XDG_RUNTIME_DIR", m_dir.Root()};
    int m_fdRelease = -1;
};

TEST_F(InstanceLock, SecondCopyIsRefusedUntilTheFirstEnds) {
    const pid_t holder = StartHolder("ORXBoot");
    ASSERT_GT(holder, 0);
    SetLastError(0);
    EXPECT_FALSE(AcquireInstanceLock("ORXBoot"));
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_TRUE(AcquireInstanceLock("Other")) << "a lock of another name is no obstacle";
    // The lock file stays behind a process that ended; it must not count as held.
    EndHolder(holder);
    EXPECT_TRUE(AcquireInstanceLock("ORXBoot"));
    // And now this process holds it: a second open of the lock file is refused too.
    EXPECT_FALSE(AcquireInstanceLock("ORXBoot"));
}

TEST_F(InstanceLock, NoPlaceForTheLockDoesNotStopTheProgram) {
    m_runtimeDir.Set(m_dir.Path("missing/folder"));
    EXPECT_TRUE(AcquireInstanceLock("ORXBoot"));
}

}  // namespace
