#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/FormatText.h"
#include "platform/SerialPort.h"

class CTransferNode;
class IClock;
class ISerialHost;
class ISerialPortFactory;

constexpr int SERIAL_STATE_WAITING = -1;
constexpr int SERIAL_STATE_DOWNLOADING = -2;
constexpr int SERIAL_STATE_DONE = -3;
constexpr int SERIAL_STATE_FAILED = -4;
constexpr int SERIAL_STATE_CLOSED = -6;

constexpr int SERIAL_RING_SIZE = 256;
constexpr uint32_t SERIAL_SHUTDOWN_WAIT_MS = 10000;
// A port whose device went away is tried again after these waits, each twice the last;
// the longest is how soon a returned adapter is served. Once it has served this long, a
// new failure starts again from the shortest wait.
constexpr uint32_t SERIAL_REOPEN_FIRST_MS = 100;
constexpr uint32_t SERIAL_REOPEN_LONGEST_MS = 1600;
constexpr uint32_t SERIAL_REOPEN_SETTLED_MS = 10000;

// The worker's stop flag. Setting it also ends the worker's current wait on the device, so
// a stop is seen at once however the flag is set.
class CStopFlag {
public:
    explicit CStopFlag(bool b) : m_b(b) {}
    CStopFlag& operator=(bool b) {
        store(b);
        return *this;
    }
    void store(bool b) {
        m_b.store(b);
        if (b) Wake();
    }
    bool load() const { return m_b.load(); }
    operator bool() const { return m_b.load(); }
    // Ends the worker's current wait on its device (any thread).
    void Wake() {
        std::lock_guard<std::mutex> guard(m_lockDevice);
        if (m_pDevice) m_pDevice->Wake();
    }
    // The device to wake from now on; once this returns, the one before is never touched.
    void WakeOnSet(ISerialDevice* pDevice) {
        std::lock_guard<std::mutex> guard(m_lockDevice);
        m_pDevice = pDevice;
    }

private:
    std::atomic<bool> m_b;
    std::mutex m_lockDevice;  // the worker swaps the device when a pulled port returns
    ISerialDevice* m_pDevice = nullptr;
};

// What a port needs of the server that owns it: the clock, the devices, the body of its
// worker thread, and the terminal (any thread).
// One open serial port with its worker thread and the ring of bytes typed by the user.
// Only the worker touches the device: what reads, writes or closes it is on the port's
// line (CLine), which only the worker is given. Other threads see the port's state,
// request a stop and queue typed bytes.
class CTransferSerial {
public:
    class CLine;
    // Opens the port and starts the worker that serves it. Tests that drive the port
    // themselves pass bStartWorker false and take its line (LineWithoutWorker).
    CTransferSerial(ISerialHost& host, const std::string& strPort, int32_t nBaud,
                    bool bStartWorker = true);
    // Stops the worker. Should it not end within the shutdown wait, the destructor goes
    // on waiting: the worker still uses this object, so it is never freed under it.
    ~CTransferSerial();
    CTransferSerial(const CTransferSerial&) = delete;
    CTransferSerial& operator=(const CTransferSerial&) = delete;

    // --- any thread
    const std::string& Port() const { return m_strPort; }
    int32_t State() const { return m_nState.load(); }
    // The transfer of the download running here, to compare with the transfer list's
    // entries under its lock: it may have left the list already.
    const CTransferNode* CurrentTransfer() const { return m_pTransfer.load(); }
    bool IsOpen() const { return m_bPortOpen.load(); }
    bool Usable() const { return !m_bStop && IsOpen(); }
    bool RingEmpty() const { return m_nSendHead.load() == m_nSendTail.load(); }
    // Sets the stop flag and ends the worker's current wait.
    void RequestStop();
    // --- UI thread: queues typed bytes; what does not fit in the ring is dropped.
    // pnQueued (when given) receives how many were taken.
    bool QueueSend(const uint8_t* pBytes, int nCount, int* pnQueued = nullptr);
    // The line of a port that no worker serves; null when one does.
    CLine* LineWithoutWorker();

    // The worker's hold on its port: the device, and everything done with it.
    class CLine {
    public:
        CLine(const CLine&) = delete;
        CLine& operator=(const CLine&) = delete;

        const std::string& Port() const { return m_port.m_strPort; }
        bool IsOpen() const { return m_port.IsOpen(); }
        // Stopped or failed: every operation on the device fails at once.
        bool Stopped() const { return m_port.m_bStop; }
        // The error that closed the port, kept from the failed read or write.
        uint32_t Failure() const { return m_dwFailure; }

        bool Write(const uint8_t* pBytes, int nCount);
        void PurgeInput();
        // Bytes read (> 0), 0 on time-out, -1 when stopped, closed or failed.
        int Read(uint8_t* pBuf, int nCount, uint32_t dwTimeoutMs);
        // Bytes up to and including the terminator (> 0), 0 when not found within the time
        // or the limit, -1 when stopped, closed or failed. Other bytes go to the terminal.
        int WaitForChar(int nTerminator, uint32_t dwTimeoutMs, uint8_t* pBuf, int nLimit);
        // As WaitForChar; with bForward false nothing goes to the terminal, and pnStored
        // (when given) receives the number of bytes stored in the buffer whatever the result.
        int WaitForCharEx(int nTerminator, uint32_t dwTimeoutMs, uint8_t* pBuf, int nLimit,
                          bool bForward, int* pnStored);
        int ReadLine(uint8_t* pBuf, int nLimit);
        bool SendKey(int nKey, uint32_t dwListenMs);
        bool SendText(const char* pszText, uint32_t dwListenMs);
        void Close() { m_port.Close(); }
        // Once the device has failed (a USB adapter pulled, a line hung up): opens the port
        // again under its name as soon as it is back, trying less often while it is absent.
        // True when it is open again, false when a stop was requested.
        bool AwaitReturn();

        // What the port's download is doing, for other threads to see.
        void SetState(int32_t nState) { m_port.m_nState = nState; }
        void SetTransfer(CTransferNode* pTransfer) { m_port.m_pTransfer = pTransfer; }
        // Unless a close has cleared it already.
        void ClearTransfer(CTransferNode* pTransfer);

    private:
        friend class CTransferSerial;
        explicit CLine(CTransferSerial& port) : m_port(port) {}
        bool FlushRing();
        bool Reopen();
        // Closes the port after the device failed, keeping the reason as the last error.
        void CloseOnFailure();

        CTransferSerial& m_port;
        // Closed, not freed, by Close, so that a stop still wakes the worker waiting for
        // the port's return; only the worker replaces it (AwaitReturn). Other threads
        // wake it through the stop flag.
        std::unique_ptr<ISerialDevice> m_hPort;
        uint32_t m_dwFailure = 0;
        uint32_t m_dwOpenedAt = 0;  // tick of the last reopen
        uint32_t m_dwReopenWait = SERIAL_REOPEN_FIRST_MS;
    };

private:
    bool Open();
    void Close();
    bool Shutdown();
    static void SerialThreadProc(CTransferSerial* pPort);

    ISerialHost& m_host;
    const std::string m_strPort;
    const int32_t m_nBaud;
    const bool m_bStartWorker;
    CLine m_line{*this};
    std::atomic<bool> m_bPortOpen{false};
    std::unique_ptr<std::thread> m_pThread;
    // The ring: only QueueSend writes the head, only the worker the tail.
    std::atomic<int32_t> m_nSendHead{0};
    std::atomic<int32_t> m_nSendTail{0};
    uint8_t m_sendRing[SERIAL_RING_SIZE] = {};
    CStopFlag m_bStop{true};
    // Unlike m_bStop, which a failure sets too, only a stop request sets this.
    std::atomic<bool> m_bStopRequested{false};
    std::atomic<int32_t> m_nState{SERIAL_STATE_WAITING};
    std::atomic<CTransferNode*> m_pTransfer{nullptr};
    std::mutex m_lockDone;
    std::condition_variable m_cvDone;
    bool m_bThreadDone = false;
};

class ISerialHost {
public:
    virtual ~ISerialHost() = default;
    virtual IClock& Clock() = 0;
    // Null when the computer has no serial ports to offer.
    virtual ISerialPortFactory* SerialPorts() = 0;
    // The worker thread's work on the port's line, until the port is stopped.
    virtual int RunSerialPort(CTransferSerial::CLine& port) = 0;
    virtual void PostSerialText(const uint8_t* pBytes, size_t nCount) = 0;
    // Only while the servers run.
    virtual void PostSerialFormat(const char* pszFormat, ...) ORX_PRINTF(2, 3) = 0;
};

// Appends "COMn" for every port from 1 to 255 that can be opened now; always true.
bool EnumerateSerialPorts(ISerialPortFactory& factory, std::vector<std::string>& arrPorts);
