#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Finished: the program ended within its wait. TimedOut: the wait ran out while it still
// runs; EndedLate follows once it has ended and is reaped.
enum class ERunResult { Finished, TimedOut, EndedLate };
using FProcessEnd = std::function<void(ERunResult eResult)>;

// Helper programs started without waiting for them.
class IProcessRunner {
public:
    virtual ~IProcessRunner() = default;
    // UI thread: starts a program found on PATH with the given arguments (never through a
    // shell) and returns at once; false when it cannot start, the reason in the last error.
    // fnEnd runs later on the UI thread: once with Finished when the program ended within
    // dwWaitMs; else with TimedOut then, and with EndedLate when it has ended (a program
    // that outlives its wait is left alone, and reaped when it ends).
    virtual bool Start(const std::vector<std::string>& argv, uint32_t dwWaitMs,
                       FProcessEnd fnEnd) = 0;
    // UI thread: blocks until a program still within its wait has ended or reached the end
    // of it, and reports what is due as fnEnd would; false at once when none is within its
    // wait. Lets a program that is ending wait for what it started.
    virtual bool WaitForNextEnd() = 0;
};

class CProcessRunner : public IProcessRunner {
public:
    CProcessRunner();
    ~CProcessRunner() override;
    CProcessRunner(const CProcessRunner&) = delete;
    CProcessRunner& operator=(const CProcessRunner&) = delete;

    bool Start(const std::vector<std::string>& argv, uint32_t dwWaitMs, FProcessEnd fnEnd) override;
    bool WaitForNextEnd() override;

private:
    struct CState;
    // Reports what is due; the number of programs reported as Finished or TimedOut.
    size_t Poll();
    std::unique_ptr<CState> m_pState;
};
