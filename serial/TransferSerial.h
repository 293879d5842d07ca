#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/FormatText.h"
#include "platform/SerialPort.h"

class CTransferNode;
class CTransferSerial;
class IClock;
class ISerialPortFactory;

constexpr int SERIAL_STATE_WAITING = -1;
constexpr int SERIAL_STATE_DOWNLOADING = -2;
constexpr int SERIAL_STATE_DONE = -3;
constexpr int SERIAL_STATE_FAILED = -4;
constexpr int SERIAL_STATE_CLOSED = -6;

constexpr int SERIAL_RING_SIZE = 256;
constexpr uint32_t SERIAL_SHUTDOWN_WAIT_MS = 10000;

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
        ISerialDevice* pDevice = m_pDevice.load();
        if (b && pDevice) pDevice->Wake();
    }
    bool load() const { return m_b.load(); }
    operator bool() const { return m_b.load(); }
    // The device to wake; it must outlive every setting of the flag.
    void WakeOnSet(ISerialDevice* pDevice) { m_pDevice = pDevice; }

private:
    std::atomic<bool> m_b;
    std::atomic<ISerialDevice*> m_pDevice{nullptr};
};

// What a port needs of the server that owns it: the clock, the devices, the body of its
// worker thread, and the terminal (any thread).
class ISerialHost {
public:
    virtual ~ISerialHost() = default;
    virtual IClock& Clock() = 0;
    // Null when the computer has no serial ports to offer.
    virtual ISerialPortFactory* SerialPorts() = 0;
    // The worker thread's work, until the port stops or fails.
    virtual int ServeSerialPort(CTransferSerial& port) = 0;
    virtual void PostSerialText(const uint8_t* pBytes, size_t nCount) = 0;
    // Only while the servers run.
    virtual void PostSerialFormat(const char* pszFormat, ...) ORX_PRINTF(2, 3) = 0;
};

// One open serial port with its worker thread and the ring of bytes typed by the user.
// Only the worker touches the device; other threads use RequestStop and QueueSend.
class CTransferSerial {
public:
    // Opens the port and starts the worker that serves it. Tests that drive the port
    // themselves pass bStartWorker false.
    CTransferSerial(ISerialHost& host, const std::string& strPort, int32_t nBaud,
                    bool bStartWorker = true);
    // Stops the worker. Should it not end within the shutdown wait, the destructor goes
    // on waiting: the worker still uses this object, so it is never freed under it.
    ~CTransferSerial();
    CTransferSerial(const CTransferSerial&) = delete;
    CTransferSerial& operator=(const CTransferSerial&) = delete;

    bool Open(const std::string& strPort, int32_t nBaud);
    void Close();
    // Any thread: sets the stop flag and ends the worker's current wait.
    void RequestStop();
    bool Shutdown();
    // UI thread: queues typed bytes; what does not fit in the ring is dropped. pnQueued
    // (when given) receives how many were taken.
    bool QueueSend(const uint8_t* pBytes, int nCount, int* pnQueued = nullptr);
    bool Write(const uint8_t* pBytes, int nCount);
    void PurgeInput();
    // Bytes read (> 0), 0 on time-out, -1 when stopped, closed or failed.
    int Read(uint8_t* pBuf, int nCount, uint32_t dwTimeoutMs);
    // Bytes up to and including the terminator (> 0), 0 when not found within the time or
    // the limit, -1 when stopped, closed or failed. Other bytes go to the terminal.
    int WaitForChar(int nTerminator, uint32_t dwTimeoutMs, uint8_t* pBuf, int nLimit);
    // As WaitForChar; with bForward false nothing goes to the terminal, and pnStored (when
    // given) receives the number of bytes stored in the buffer whatever the result.
    int WaitForCharEx(int nTerminator, uint32_t dwTimeoutMs, uint8_t* pBuf, int nLimit,
                      bool bForward, int* pnStored);
    int ReadLine(uint8_t* pBuf, int nLimit);
    bool SendKey(int nKey, uint32_t dwListenMs);
    bool SendText(const char* pszText, uint32_t dwListenMs);

    bool IsOpen() const { return m_bPortOpen.load(); }
    bool Usable() const { return !m_bStop && IsOpen(); }
    bool RingEmpty() const { return m_nSendHead.load() == m_nSendTail.load(); }

    ISerialHost& m_host;
    // Kept until destruction (closed, not freed, by Close) so that Wake stays safe.
    std::unique_ptr<ISerialDevice> m_hPort;
    std::atomic<bool> m_bPortOpen{false};
    std::unique_ptr<std::thread> m_pThread;
    std::atomic<int32_t> m_nSendHead{0};
    std::atomic<int32_t> m_nSendTail{0};
    uint8_t m_sendRing[SERIAL_RING_SIZE] = {};
    CStopFlag m_bStop{true};
    std::string m_strPort;
    std::atomic<int32_t> m_nState{SERIAL_STATE_WAITING};
    std::atomic<CTransferNode*> m_pTransfer{nullptr};

private:
    static void SerialThreadProc(CTransferSerial* pPort);
    bool FlushRing();

    bool m_bStartWorker;
    std::mutex m_lockDone;
    std::condition_variable m_cvDone;
    bool m_bThreadDone = false;
};

// Appends "COMn" for every port from 1 to 255 that can be opened now; always true.
bool EnumerateSerialPorts(ISerialPortFactory& factory, std::vector<std::string>& arrPorts);
