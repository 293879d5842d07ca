#pragma once
// Fakes for the engine's platform services: clock, message sink, sockets, processes, boxes.
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/ORXBootApp.h"
#include "platform/Clock.h"
#include "platform/LastError.h"
#include "platform/MessageBox.h"
#include "platform/Messages.h"
#include "platform/NetworkInfo.h"
#include "platform/Process.h"
#include "platform/Socket.h"
#include "platform/Timers.h"

class CFakeClock : public IClock {
public:
    uint32_t GetTickCount() override { return m_dwNow.load(); }
    void Sleep(uint32_t dwMs) override { m_dwNow += dwMs; }
    std::atomic<uint32_t> m_dwNow{1000};
};

// Message targets that record every post. Posted messages reach their target only when
// the test delivers them (DeliverPending, DispatchUntil); Send delivers at once, as the
// platform does for socket notifications and timers.
class CFakePoster : public IMessagePoster {
public:
    HWND CreateWindow(FWindowProc fnProc) override {
        std::lock_guard<std::mutex> g(m_lock);
        const HWND hWnd = m_hNext++;
        m_procs[hWnd] = std::make_shared<FWindowProc>(std::move(fnProc));
        return hWnd;
    }
    void DestroyWindow(HWND hWnd) override {
        std::lock_guard<std::mutex> g(m_lock);
        m_procs.erase(hWnd);
    }
    bool IsWindow(HWND hWnd) const override {
        std::lock_guard<std::mutex> g(m_lock);
        return m_procs.count(hWnd) != 0;
    }
    bool PostMessage(HWND hWnd, CMessage msg) override {
        {
            std::lock_guard<std::mutex> g(m_lock);
            if (!m_procs.count(hWnd)) return false;
            m_msgs.push_back({hWnd, msg});
            m_pending.push_back({hWnd, std::move(msg)});
        }
        m_cv.notify_all();
        return true;
    }
    void DispatchUntil(const std::function<bool()>& fnDone) override {
        while (!fnDone()) {
            {
                std::unique_lock<std::mutex> g(m_lock);
                m_cv.wait(g, [this] { return !m_pending.empty(); });
            }
            DeliverPending();
        }
    }
    bool Send(HWND hWnd, CMessage msg) {
        std::unique_lock<std::mutex> g(m_lock);
        const auto it = m_procs.find(hWnd);
        if (it == m_procs.end()) return false;
        const std::shared_ptr<FWindowProc> pProc = it->second;
        g.unlock();  // the target may post or send in turn
        (*pProc)(msg);
        return true;
    }
    void DeliverPending() {
        while (DeliverOne()) {
        }
    }
    // One turn of the event loop that delivers one message; false when none is pending.
    bool DeliverOne() {
        std::pair<HWND, CMessage> next;
        {
            std::lock_guard<std::mutex> g(m_lock);
            if (m_pending.empty()) return false;
            next = std::move(m_pending.front());
            m_pending.pop_front();
        }
        Send(next.first, std::move(next.second));
        return true;
    }
    // The reports posted so far, in order.
    std::vector<CBootEvent> Events() const {
        std::lock_guard<std::mutex> g(m_lock);
        std::vector<CBootEvent> out;
        for (const auto& [h, m] : m_msgs)
            if (const auto* p = std::any_cast<CBootEvent>(&m.payload)) out.push_back(*p);
        return out;
    }
    // The reports of type T posted so far, in order.
    template <class T>
    std::vector<T> Of() const {
        std::vector<T> out;
        for (const auto& e : Events())
            if (const auto* p = std::get_if<T>(&e)) out.push_back(*p);
        return out;
    }
    // The log lines posted so far (not the empty one that clears the log).
    std::vector<std::string> LogLines() const {
        std::vector<std::string> lines;
        for (const CLogLine& line : Of<CLogLine>())
            if (!line.strText.empty()) lines.push_back(line.strText);
        return lines;
    }
    std::vector<CMessage> Messages(uint32_t nMsg) const {
        std::lock_guard<std::mutex> g(m_lock);
        std::vector<CMessage> out;
        for (const auto& [h, m] : m_msgs)
            if (m.nMsg == nMsg) out.push_back(m);
        return out;
    }
    void Clear() {
        std::lock_guard<std::mutex> g(m_lock);
        m_msgs.clear();
    }
    mutable std::mutex m_lock;
    std::vector<std::pair<HWND, CMessage>> m_msgs;

private:
    std::condition_variable m_cv;
    std::map<HWND, std::shared_ptr<FWindowProc>> m_procs;
    std::deque<std::pair<HWND, CMessage>> m_pending;
    HWND m_hNext = 100;
};

class CFakeTimers : public ITimerService {
public:
    bool SetTimer(HWND hWnd, uint32_t nId, uint32_t nPeriodMs) override {
        m_timers[{hWnd, nId}] = nPeriodMs;
        return true;
    }
    void KillTimer(HWND hWnd, uint32_t nId) override { m_timers.erase({hWnd, nId}); }
    // The period of timer nId, on whatever target; 0 when it is not set.
    uint32_t Period(uint32_t nId) const {
        for (const auto& [key, nPeriod] : m_timers)
            if (key.second == nId) return nPeriod;
        return 0;
    }
    // Timer nId expires once: WM_TIMER goes to its target at once, as the platform does.
    bool Fire(CFakePoster& poster, uint32_t nId) {
        for (const auto& [key, nPeriod] : m_timers)
            if (key.second == nId) return poster.Send(key.first, {WM_TIMER, nId, 0, {}, {}});
        return false;
    }
    std::map<std::pair<HWND, uint32_t>, uint32_t> m_timers;
};

struct CDatagram {
    std::vector<uint8_t> bytes;
    CSockAddr addr;
};

class CFakeSocket : public IDatagramSocket {
public:
    bool Create(uint16_t wPort) override {
        if (m_bFailCreate) {
            SetLastError(98);  // EADDRINUSE
            return false;
        }
        m_wPort = wPort;
        m_bOpen = true;
        return true;
    }
    bool SetBroadcast(bool) override { return true; }
    bool AsyncSelect(HWND hWnd, uint32_t nMsg, int64_t nId) override {
        m_hWnd = hWnd;
        m_nMsg = nMsg;
        m_nId = nId;
        return true;
    }
    int ReceiveFrom(void* pBuf, size_t nLen, CSockAddr& from) override {
        if (m_incoming.empty()) {
            SetLastError(11);  // EAGAIN
            return -1;
        }
        CDatagram d = std::move(m_incoming.front());
        m_incoming.pop_front();
        if (d.bytes.size() > nLen) {
            SetLastError(90);  // EMSGSIZE
            return -1;
        }
        std::copy(d.bytes.begin(), d.bytes.end(), static_cast<uint8_t*>(pBuf));
        from = d.addr;
        return static_cast<int>(d.bytes.size());
    }
    int SendTo(const void* pBuf, size_t nLen, const CSockAddr& to) override {
        if (m_bFailSend) {
            SetLastError(101);  // ENETUNREACH
            return -1;
        }
        const auto* p = static_cast<const uint8_t*>(pBuf);
        m_sent.push_back({std::vector<uint8_t>(p, p + nLen), to});
        return static_cast<int>(nLen);
    }
    void Close() override { m_bOpen = false; }
    bool IsOpen() const override { return m_bOpen; }
    // The read notification (lParam FD_READ) the platform sends to the socket's target.
    CMessage ReadNotice() const { return {m_nMsg, m_nId, 1, {}, {}}; }

    bool m_bOpen = false;
    bool m_bFailCreate = false;
    bool m_bFailSend = false;
    uint16_t m_wPort = 0;
    HWND m_hWnd = 0;
    uint32_t m_nMsg = 0;
    int64_t m_nId = 0;
    std::deque<CDatagram> m_incoming;
    std::vector<CDatagram> m_sent;
};

// Hands out fake sockets and keeps a pointer to each for the test to drive.
class CFakeSocketFactory : public ISocketFactory {
public:
    std::unique_ptr<IDatagramSocket> NewSocket() override {
        auto p = std::make_unique<CFakeSocket>();
        p->m_bFailCreate = m_nFailCreateAt == static_cast<int>(m_made.size());
        p->m_bFailSend = m_bFailSend;
        m_made.push_back(p.get());
        return p;
    }
    CFakeSocket* Bound(uint16_t wPort) const {
        for (auto it = m_made.rbegin(); it != m_made.rend(); ++it)
            if ((*it)->m_wPort == wPort) return *it;
        return nullptr;
    }
    std::vector<CFakeSocket*> m_made;
    int m_nFailCreateAt = -1;
    bool m_bFailSend = false;
};

// Programs that start unless told not to, and end when the test says so.
class CFakeProcessRunner : public IProcessRunner {
public:
    bool Start(const std::vector<std::string>& argv, uint32_t dwWaitMs,
               FProcessEnd fnEnd) override {
        m_calls.push_back(argv);
        m_dwLastWait = dwWaitMs;
        if (m_bFailStart) {
            SetLastError(2);  // ENOENT
            return false;
        }
        m_pending.push_back(std::move(fnEnd));
        return true;
    }
    // Every program within its wait ends, or outlives it, as m_result says.
    void EndAll() {
        while (WaitForNextEnd()) {
        }
    }
    bool WaitForNextEnd() override {
        if (m_pending.empty()) return false;
        if (m_fnOnWait) m_fnOnWait();
        FProcessEnd fn = std::move(m_pending.front());
        m_pending.erase(m_pending.begin());
        fn(m_result);
        if (m_result == ERunResult::TimedOut) m_late.push_back(std::move(fn));
        return true;
    }
    // Programs that outlived their wait end.
    void EndLate() {
        std::vector<FProcessEnd> arr;
        arr.swap(m_late);
        for (auto& fn : arr) fn(ERunResult::EndedLate);
    }
    std::vector<std::vector<std::string>> m_calls;
    std::vector<FProcessEnd> m_pending;
    std::vector<FProcessEnd> m_late;
    std::function<void()> m_fnOnWait;  // runs as a wait for the next end begins
    uint32_t m_dwLastWait = 0;
    bool m_bFailStart = false;
    ERunResult m_result = ERunResult::Finished;
};

class CFakeMessageBox : public IMessageBox {
public:
    int Show(const std::string& strText, unsigned nType) override {
        std::lock_guard<std::mutex> g(m_lock);
        m_shown.push_back({strText, nType});
        return (nType & 0xF) == MB_YESNO ? m_nAnswer : IDOK;
    }
    std::mutex m_lock;
    std::vector<std::pair<std::string, unsigned>> m_shown;
    int m_nAnswer = IDYES;
};

// The face of the run for the engine's tests: what it was told and asked, and the start-up
// search it followed. Questions are answered at once, unless the test answers them later.
class CFakeFront : public IAppFront {
public:
    int RunSheet() override { return IDOK; }
    void OnAddressSearchStarted() override { arrSearch.push_back("started"); }
    void OnAddressTried(uint32_t dwAddr) override { arrSearch.push_back(DottedAddress(dwAddr)); }
    void OnAddressSearchEnded() override { arrSearch.push_back("ended"); }
    void Tell(const CPrompt& prompt) override { arrPrompts.push_back(prompt); }
    void Ask(const CPrompt& prompt, FAnswer fnAnswer) override {
        arrPrompts.push_back(prompt);
        if (bAnswerLater) {
            arrAnswers.push_back(std::move(fnAnswer));
        } else {
            fnAnswer(bYes);
        }
    }
    std::vector<std::string> PromptTexts() const {
        std::vector<std::string> out;
        for (const auto& p : arrPrompts) out.push_back(p.strText);
        return out;
    }
    std::vector<std::string> arrSearch;
    std::vector<CPrompt> arrPrompts;
    bool bYes = true;
    bool bAnswerLater = false;
    std::vector<FAnswer> arrAnswers;  // questions waiting for the test's answer
};

// A network of addresses that answer or stay silent, and one adapter.
class CFakeNetworkInfo : public INetworkInfo {
public:
    bool GetHostName(std::string& strName) override {
        strName = m_strHostName;
        return true;
    }
    // Called on the search's thread.
    bool Ping(uint32_t dwAddrNet, uint32_t dwTimeoutMs) override {
        m_pinged.push_back(dwAddrNet);
        m_dwLastTimeout = dwTimeoutMs;
        if (m_fnOnPing) m_fnOnPing(m_pinged.size());
        return m_bAllAnswer || m_answering.count(dwAddrNet) != 0;
    }
    uint32_t GetFirstAdapterAddress(uint32_t& dwAddrNet, uint32_t& dwMaskNet) override {
        if (m_dwAdapterResult == 0) {
            dwAddrNet = m_dwAdapterAddr;
            dwMaskNet = m_dwAdapterMask;
        }
        return m_dwAdapterResult;
    }
    std::string m_strHostName = "benchpc";
    std::set<uint32_t> m_answering;
    bool m_bAllAnswer = false;
    std::vector<uint32_t> m_pinged;
    std::function<void(size_t nPing)> m_fnOnPing;
    uint32_t m_dwLastTimeout = 0;
    uint32_t m_dwAdapterResult = ERROR_NOT_SUPPORTED;
    uint32_t m_dwAdapterAddr = 0;
    uint32_t m_dwAdapterMask = 0;
};

// A face that shows nothing; attached, it makes the engine post its reports.
class CIgnoringView : public IBootView, public ITerminalView {
public:
    void OnBootEvent(const CBootEvent&) override {}
    void OnSerialText(const std::vector<uint8_t>&) override {}
};

// The platform services as fakes, and a view to attach.
struct CFakeSystem {
    CFakeClock clock;
    CFakePoster poster;
    CFakeTimers timers;
    CFakeSocketFactory sockets;
    CFakeProcessRunner process;
    CFakeFront front;
    CIgnoringView view;
    CPlatformServices Services(INetworkInfo* pNetwork = nullptr) {
        CPlatformServices s{&poster, &timers, &sockets, &clock, &process};
        s.pNetwork = pNetwork;
        return s;
    }
};
