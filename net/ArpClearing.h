#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <unordered_set>

#include "platform/Messages.h"

class CLogLimiter;
class IClock;
class IMessagePoster;
class IProcessRunner;

// Clearing the host's ARP entry of units whose transfers ended ("arp -d"), without harm to
// the machine however many end at once: at most a few commands run at a time and at most
// one is started in a turn of the event loop; the rest wait in a queue, where an address
// waits only once, and the queue is bounded.
class CArpClearing {
public:
    static constexpr size_t MAX_RUNNING = 4;
    static constexpr size_t MAX_WAITING = 4096;
    static constexpr uint32_t ARP_WAIT_MS = 5000;
    // The longest a stop goes on starting commands for the addresses still waiting: it blocks
    // the event loop, and what waits beyond a few dozen is a flood not worth clearing.
    static constexpr uint32_t FINISH_MS = 50;

    CArpClearing(IProcessRunner& process, IMessagePoster& poster, IClock& clock, CLogLimiter& log);
    ~CArpClearing();
    CArpClearing(const CArpClearing&) = delete;
    CArpClearing& operator=(const CArpClearing&) = delete;

    // UI thread: clears the entry of the address (network byte order), now or when a
    // command ends.
    void Clear(uint32_t dwAddr);
    // UI thread, when the servers stop: starts commands for the addresses still waiting for
    // up to FINISH_MS, then waits for every command started until it ends or its own
    // ARP_WAIT_MS run out; the addresses left waiting are dropped.
    void Finish();

    size_t Running() const { return m_nRunning; }
    size_t Waiting() const { return m_arrWaiting.size(); }

private:
    void StartNext();
    // Starts the next command when one may start in this turn.
    void Pump();

    IProcessRunner& m_process;
    IMessagePoster& m_poster;
    IClock& m_clock;
    CLogLimiter& m_log;
    HWND m_hTarget = 0;
    std::deque<uint32_t> m_arrWaiting;
    std::unordered_set<uint32_t> m_setWaiting;
    // Commands started and not yet ended, including those that outlived their wait.
    size_t m_nRunning = 0;
    bool m_bStartedThisTurn = false;
    bool m_bFinishing = false;
    // Cleared on destruction, for commands that end later.
    std::shared_ptr<bool> m_pAlive = std::make_shared<bool>(true);
};
