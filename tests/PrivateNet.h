#pragma once
// Tests that open real sockets run in a child process with a network namespace of its own,
// so that nothing reaches the machine's network.
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

// Inside the child's namespace only; false when the tool is missing (the test then skips).
inline bool BringLoopbackUp() {
    return std::system("ip link set lo up 2>/dev/null") == 0;
}

// Runs fn in a child with its own network namespace; its exit code:
// 0 passed, 77 namespaces not available, else the failed check's number.
inline int InPrivateNamespace(int (*fn)()) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (unshare(CLONE_NEWNET) != 0) _exit(77);
        _exit(fn());
    }
    int nStatus = 0;
    waitpid(pid, &nStatus, 0);
    return WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : 99;
}
