#include "platform/Process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "platform/LastError.h"

extern char** environ;

ERunResult CProcessRunner::Run(const std::vector<std::string>& argv, uint32_t dwWaitMs) {
    if (argv.empty()) {
        SetLastError(EINVAL);
        return ERunResult::StartFailed;
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
        return ERunResult::StartFailed;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(dwWaitMs);
    auto pause = std::chrono::microseconds(200);
    for (;;) {
        int status = 0;
        const pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid || (r < 0 && errno == ECHILD)) return ERunResult::Finished;
        if (std::chrono::steady_clock::now() >= deadline) break;
        std::this_thread::sleep_for(pause);
        if (pause < std::chrono::milliseconds(10)) pause *= 2;
    }
    // Not stopped; reap it later so no zombie stays behind.
    std::thread([pid] {
        int status = 0;
        waitpid(pid, &status, 0);
    }).detach();
    return ERunResult::TimedOut;
}
