#pragma once
// Tests that open real sockets run in a child process with a network namespace of its own,
// so that nothing reaches the machine's network.
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

inline bool BringLoopbackUp() {
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0) return false;
    ifreq ifr{};
    std::strncpy(ifr.ifr_name, "lo", IFNAMSIZ - 1);
    bool bOk = ioctl(fd, SIOCGIFFLAGS, &ifr) == 0;
    ifr.ifr_flags = static_cast<short>(ifr.ifr_flags | IFF_UP);
    bOk = bOk && ioctl(fd, SIOCSIFFLAGS, &ifr) == 0;
    close(fd);
    return bOk;
}

// Runs fn in a child with its own network and host-name namespaces; its exit code:
// 0 passed, 77 namespaces not available, else the failed check's number.
inline int InPrivateNamespace(int (*fn)()) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (unshare(CLONE_NEWNET | CLONE_NEWUTS) != 0) _exit(77);
        _exit(fn());
    }
    int nStatus = 0;
    waitpid(pid, &nStatus, 0);
    return WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : 99;
}
