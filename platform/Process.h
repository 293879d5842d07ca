#pragma once
#include <cstdint>
#include <string>
#include <vector>

enum class ERunResult { Finished, TimedOut, StartFailed };

// Starts a program found on PATH with the given arguments (never through a shell)
// and waits for it at most the given time; a program still running is left alone.
class IProcessRunner {
public:
    virtual ~IProcessRunner() = default;
    virtual ERunResult Run(const std::vector<std::string>& argv, uint32_t dwWaitMs) = 0;
};

class CProcessRunner : public IProcessRunner {
public:
    ERunResult Run(const std::vector<std::string>& argv, uint32_t dwWaitMs) override;
};
