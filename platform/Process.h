#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

enum class ERunResult { Finished, TimedOut };
using FProcessEnd = std::function<void(ERunResult eResult)>;

// Helper programs started without waiting for them.
class IProcessRunner {
public:
    virtual ~IProcessRunner() = default;
    // UI thread: starts a program found on PATH with the given arguments (never through a
    // shell) and returns at once; false when it cannot start, the reason in the last error.
    // fnEnd runs once, later, on the UI thread: Finished when the program ended within
    // dwWaitMs, else TimedOut. A program still running then is left alone, and reaped when
    // it ends.
    virtual bool Start(const std::vector<std::string>& argv, uint32_t dwWaitMs,
                       FProcessEnd fnEnd) = 0;
};

class CProcessRunner : public IProcessRunner {
public:
    CProcessRunner();
    // Waits a little for programs still running, so that none is left behind unreaped.
    ~CProcessRunner() override;
    CProcessRunner(const CProcessRunner&) = delete;
    CProcessRunner& operator=(const CProcessRunner&) = delete;

    bool Start(const std::vector<std::string>& argv, uint32_t dwWaitMs, FProcessEnd fnEnd) override;

private:
    struct CState;
    void Poll();
    std::unique_ptr<CState> m_pState;
};
