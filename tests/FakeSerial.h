#pragma once
// Fakes for serial ports: a scripted device that keeps a transcript of the line, and a
// factory that hands such devices out by port name.
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/SerialPort.h"
#include "tests/Fakes.h"

// One event on the line: 'S' bytes the server wrote (one write call), 'U' bytes the server
// read from the unit (one read call), 'P' the server purged its input.
struct CLineEvent {
    char cDir;
    std::vector<uint8_t> bytes;
    bool operator==(const CLineEvent&) const = default;
};

// With a fake clock, a wait for input moves the clock on to the next scheduled input (or
// by the whole wait) at once; without one, waits are real and end on input or Wake.
class CFakeSerialDevice : public ISerialDevice {
public:
    explicit CFakeSerialDevice(CFakeClock* pClock) : m_pClock(pClock) {}

    // Bytes the unit sends, read by one or more reads but never merged with the next
    // chunk; a chunk with dwAt arrives only once the fake clock reaches dwAt.
    void Feed(const std::vector<uint8_t>& bytes, uint32_t dwAt = 0) {
        std::lock_guard<std::mutex> g(m_lock);
        m_input.push_back({bytes, dwAt});
        m_cv.notify_all();
    }
    void Feed(const std::string& str, uint32_t dwAt = 0) {
        Feed(std::vector<uint8_t>(str.begin(), str.end()), dwAt);
    }

    int Read(uint8_t* pBuf, size_t nCount) override {
        std::lock_guard<std::mutex> g(m_lock);
        ++m_nReads;
        const bool bLate = m_dwFailAt != 0 && m_pClock &&
                           static_cast<int32_t>(m_pClock->GetTickCount() - m_dwFailAt) >= 0;
        if (m_bFailRead || m_bClosed || bLate) {
            SetLastError(5);  // EIO
            return -1;
        }
        if (!ReadyLocked()) return 0;
        auto& chunk = m_input.front().bytes;
        const auto end = chunk.begin() + static_cast<long>(std::min(nCount, chunk.size()));
        std::copy(chunk.begin(), end, pBuf);
        m_events.push_back({'U', {chunk.begin(), end}});
        chunk.erase(chunk.begin(), end);
        if (chunk.empty()) m_input.pop_front();
        return static_cast<int>(m_events.back().bytes.size());
    }

    int Write(const uint8_t* pBuf, size_t nCount) override {
        std::vector<uint8_t> bytes;
        {
            std::lock_guard<std::mutex> g(m_lock);
            if (m_bFailWrite || m_bClosed) {
                SetLastError(5);  // EIO
                return -1;
            }
            bytes.assign(pBuf, pBuf + std::min(nCount, m_nWriteMax));
            m_events.push_back({'S', bytes});
        }
        if (m_onWrite) m_onWrite(*this, bytes);
        return static_cast<int>(bytes.size());
    }

    void PurgeInput() override {
        std::lock_guard<std::mutex> g(m_lock);
        while (ReadyLocked()) m_input.pop_front();
        m_events.push_back({'P', {}});
    }

    void WaitReadable(uint32_t dwMs) override {
        std::unique_lock<std::mutex> g(m_lock);
        ++m_nWaits;
        if (m_pClock == nullptr) {
            m_cv.wait_for(g, std::chrono::milliseconds(dwMs),
                          [this] { return m_bWake || ReadyLocked(); });
            m_bWake = false;
            return;
        }
        if (!std::exchange(m_bWake, false) && !ReadyLocked())
            m_pClock->Sleep(m_input.empty()
                                ? dwMs
                                : std::min(dwMs, m_input.front().dwAt - m_pClock->GetTickCount()));
    }

    void Wake() override {
        std::lock_guard<std::mutex> g(m_lock);
        m_bWake = true;
        m_cv.notify_all();
    }

    void Close() override {
        std::lock_guard<std::mutex> g(m_lock);
        m_bClosed = true;
        ++m_nCloses;
    }

    // The server's writes, one entry per write call, and all they wrote.
    std::vector<std::vector<uint8_t>> Writes() const {
        std::vector<std::vector<uint8_t>> out;
        for (const auto& e : Events())
            if (e.cDir == 'S') out.push_back(e.bytes);
        return out;
    }
    std::vector<uint8_t> Written() const {
        std::vector<uint8_t> out;
        for (const auto& w : Writes()) out.insert(out.end(), w.begin(), w.end());
        return out;
    }
    std::vector<CLineEvent> Events() const {
        std::lock_guard<std::mutex> g(m_lock);
        return m_events;
    }
    bool InputLeft() const {
        std::lock_guard<std::mutex> g(m_lock);
        return !m_input.empty();
    }

    // Called after every write, outside the lock: a simulated unit answers here.
    std::function<void(CFakeSerialDevice&, const std::vector<uint8_t>&)> m_onWrite;
    std::atomic<bool> m_bFailRead{false};
    std::atomic<bool> m_bFailWrite{false};
    // Reads fail from this fake-clock tick on (0: never).
    uint32_t m_dwFailAt = 0;
    size_t m_nWriteMax = SIZE_MAX;  // a write takes at most this many bytes
    int m_nReads = 0;
    std::atomic<int> m_nWaits{0};
    int m_nCloses = 0;

private:
    struct CChunk {
        std::vector<uint8_t> bytes;
        uint32_t dwAt;
    };
    bool ReadyLocked() const {
        if (m_input.empty() || m_bClosed) return false;
        if (m_pClock == nullptr) return true;
        return static_cast<int32_t>(m_input.front().dwAt - m_pClock->GetTickCount()) <= 0;
    }

    CFakeClock* m_pClock;
    mutable std::mutex m_lock;
    std::condition_variable m_cv;
    std::deque<CChunk> m_input;
    std::vector<CLineEvent> m_events;
    bool m_bWake = false;
    bool m_bClosed = false;
};

// Ports by name: present ones open (unless busy), each open makes a new device that the
// test reaches through Last(); it lives as long as its port object.
class CFakeSerialFactory : public ISerialPortFactory {
public:
    explicit CFakeSerialFactory(CFakeClock* pClock) : m_pClock(pClock) {}

    std::unique_ptr<ISerialDevice> Open(const std::string& strPort, int32_t) override {
        std::lock_guard<std::mutex> g(m_lock);
        ++m_nOpens;
        if (!m_present.count(strPort) || m_busy.count(strPort)) {
            SetLastError(m_busy.count(strPort) ? 16 : 2);  // EBUSY, ENOENT
            return nullptr;
        }
        auto p = std::make_unique<CFakeSerialDevice>(m_pClock);
        m_pLast = p.get();
        return p;
    }
    bool Probe(const std::string& strPort) override {
        std::lock_guard<std::mutex> g(m_lock);
        m_probed.push_back(strPort);
        return m_present.count(strPort) && !m_busy.count(strPort);
    }
    CFakeSerialDevice* Last() {
        std::lock_guard<std::mutex> g(m_lock);
        return m_pLast;
    }
    // Where ports come and go while workers run.
    void SetPresent(const std::string& strPort, bool bPresent) {
        std::lock_guard<std::mutex> g(m_lock);
        if (bPresent)
            m_present.insert(strPort);
        else
            m_present.erase(strPort);
    }
    int Opens() {
        std::lock_guard<std::mutex> g(m_lock);
        return m_nOpens;
    }

    std::set<std::string> m_present;
    std::set<std::string> m_busy;
    std::vector<std::string> m_probed;

private:
    CFakeClock* m_pClock;
    std::mutex m_lock;
    CFakeSerialDevice* m_pLast = nullptr;
    int m_nOpens = 0;
};
