#include "serial/TransferSerial.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/Clock.h"
#include "platform/LastError.h"
#include "platform/SerialPort.h"

CTransferSerial::CTransferSerial(ISerialHost& host, const std::string& strPort, int32_t nBaud,
                                 bool bStartWorker)
    : m_host(host), m_strPort(strPort), m_nBaud(nBaud), m_bStartWorker(bStartWorker) {
    Open();
}

CTransferSerial::~CTransferSerial() {
    if (!Shutdown() && m_pThread) {
        m_pThread->join();
        m_pThread.reset();
        Close();
    }
}

bool CTransferSerial::Open() {
    ISerialPortFactory* pPorts = m_host.SerialPorts();
    if (pPorts == nullptr) {
        SetLastError(ENODEV);
        return false;
    }
    m_line.m_hPort = pPorts->Open(m_strPort, m_nBaud);
    if (!m_line.m_hPort) return false;
    m_bStop.WakeOnSet(m_line.m_hPort.get());
    m_line.m_dwOpenedAt = m_host.Clock().GetTickCount();
    m_bPortOpen = true;
    m_bStop = false;
    if (m_bStartWorker) {
        // std::thread reports a failed start by exception; here it becomes a result.
        try {
            m_pThread = std::make_unique<std::thread>(&CTransferSerial::SerialThreadProc, this);
        } catch (...) {
            m_bStop = true;
            SetLastError(EAGAIN);
            return false;
        }
    }
    return true;
}

void CTransferSerial::SerialThreadProc(CTransferSerial* pPort) {
    pPort->m_host.RunSerialPort(pPort->m_line);
    std::lock_guard<std::mutex> guard(pPort->m_lockDone);
    pPort->m_bThreadDone = true;
    pPort->m_cvDone.notify_all();
}

CTransferSerial::CLine* CTransferSerial::LineWithoutWorker() {
    return m_pThread ? nullptr : &m_line;
}

void CTransferSerial::Close() {
    if (m_bPortOpen.exchange(false)) m_line.m_hPort->Close();
    m_pTransfer = nullptr;
    m_nState = SERIAL_STATE_CLOSED;
    m_bStop = true;
}

void CTransferSerial::RequestStop() {
    m_bStopRequested = true;
    m_bStop = true;
}

bool CTransferSerial::Shutdown() {
    if (m_pThread) {
        RequestStop();
        std::unique_lock<std::mutex> lock(m_lockDone);
        if (!m_cvDone.wait_for(lock, std::chrono::milliseconds(SERIAL_SHUTDOWN_WAIT_MS),
                               [this] { return m_bThreadDone; }))
            return false;
        lock.unlock();
        m_pThread->join();
        m_pThread.reset();
    }
    Close();
    return true;
}

bool CTransferSerial::QueueSend(const uint8_t* pBytes, int nCount, int* pnQueued) {
    if (pnQueued) *pnQueued = 0;
    if (m_bStop || !IsOpen()) return false;
    int32_t nHead = m_nSendHead.load(std::memory_order_relaxed);
    const int32_t nTail = m_nSendTail.load(std::memory_order_acquire);
    const int32_t nFree = nTail <= nHead ? nTail - nHead + SERIAL_RING_SIZE - 1 : nTail - nHead - 1;
    const int32_t n = std::min<int32_t>(std::max(nCount, 0), nFree);
    for (int32_t i = 0; i < n; ++i) {
        m_sendRing[nHead] = pBytes[i];
        nHead = (nHead + 1) % SERIAL_RING_SIZE;
    }
    m_nSendHead.store(nHead, std::memory_order_release);
    if (n > 0) m_bStop.Wake();
    if (pnQueued) *pnQueued = n;
    return true;
}

// --- the worker's line

void CTransferSerial::CLine::ClearTransfer(CTransferNode* pTransfer) {
    m_port.m_pTransfer.compare_exchange_strong(pTransfer, nullptr);
}

void CTransferSerial::CLine::CloseOnFailure() {
    m_dwFailure = GetLastError();
    Close();
    SetLastError(m_dwFailure);
}

bool CTransferSerial::CLine::AwaitReturn() {
    IClock& clock = m_port.m_host.Clock();
    if (clock.GetTickCount() - m_dwOpenedAt >= SERIAL_REOPEN_SETTLED_MS)
        m_dwReopenWait = SERIAL_REOPEN_FIRST_MS;
    for (;;) {
        // The closed device still wakes on a stop request.
        const uint32_t dwStart = clock.GetTickCount();
        for (uint32_t dwElapsed = 0; dwElapsed < m_dwReopenWait;
             dwElapsed = clock.GetTickCount() - dwStart) {
            if (m_port.m_bStopRequested) return false;
            m_hPort->WaitReadable(m_dwReopenWait - dwElapsed);
        }
        if (m_port.m_bStopRequested) return false;
        const bool bBack = Reopen();
        m_dwReopenWait = std::min(m_dwReopenWait * 2, SERIAL_REOPEN_LONGEST_MS);
        if (bBack) return true;
    }
}

bool CTransferSerial::CLine::Reopen() {
    CTransferSerial& port = m_port;
    ISerialPortFactory* pPorts = port.m_host.SerialPorts();
    std::unique_ptr<ISerialDevice> pDevice =
        pPorts ? pPorts->Open(port.m_strPort, port.m_nBaud) : nullptr;
    if (!pDevice) return false;
    port.m_bStop.WakeOnSet(pDevice.get());
    m_hPort.swap(pDevice);  // the failed device goes with pDevice; nothing wakes it now
    m_dwOpenedAt = port.m_host.Clock().GetTickCount();
    port.m_nState = SERIAL_STATE_WAITING;
    // Keys typed for the line that went away are not for whatever comes back; none are
    // queued while the port is closed.
    port.m_nSendTail.store(port.m_nSendHead.load(std::memory_order_acquire),
                           std::memory_order_release);
    port.m_bPortOpen = true;
    port.m_bStop = false;
    // A stop requested meanwhile wins over the line above.
    if (port.m_bStopRequested) port.m_bStop = true;
    return true;
}

bool CTransferSerial::CLine::Write(const uint8_t* pBytes, int nCount) {
    int nDone = 0;
    for (;;) {
        if (Stopped() || !IsOpen()) return false;
        if (nDone >= nCount) return true;
        const int n = m_hPort->Write(pBytes + nDone, static_cast<size_t>(nCount - nDone));
        if (n < 0) {
            CloseOnFailure();
            return false;
        }
        nDone += n;
        if (nDone >= nCount) return true;
        m_port.m_host.Clock().Sleep(10);
    }
}

void CTransferSerial::CLine::PurgeInput() {
    if (IsOpen()) m_hPort->PurgeInput();
}

// Sends the oldest contiguous run of typed bytes; false when the write failed.
bool CTransferSerial::CLine::FlushRing() {
    CTransferSerial& port = m_port;
    const int32_t nTail = port.m_nSendTail.load(std::memory_order_relaxed);
    const int32_t nHead = port.m_nSendHead.load(std::memory_order_acquire);
    if (nHead == nTail) return true;
    const int32_t nRun = nHead > nTail ? nHead - nTail : SERIAL_RING_SIZE - nTail;
    if (!Write(port.m_sendRing + nTail, nRun)) return false;
    port.m_nSendTail.store((nTail + nRun) % SERIAL_RING_SIZE, std::memory_order_release);
    return true;
}

int CTransferSerial::CLine::Read(uint8_t* pBuf, int nCount, uint32_t dwTimeoutMs) {
    IClock& clock = m_port.m_host.Clock();
    const uint32_t dwStart = clock.GetTickCount();
    for (;;) {
        if (Stopped() || !IsOpen()) {
            SetLastError(ECANCELED);
            return -1;
        }
        const int n = m_hPort->Read(pBuf, static_cast<size_t>(std::max(nCount, 0)));
        if (n < 0) {
            CloseOnFailure();
            return -1;
        }
        if (n > 0) return n;
        if (!FlushRing()) return -1;
        const uint32_t dwElapsed = clock.GetTickCount() - dwStart;
        if (dwElapsed >= dwTimeoutMs) return 0;
        // Typed bytes that came in meanwhile go out on the next pass, without a wait.
        if (!m_port.RingEmpty()) continue;
        m_hPort->WaitReadable(dwTimeoutMs - dwElapsed);
    }
}

int CTransferSerial::CLine::WaitForChar(int nTerminator, uint32_t dwTimeoutMs, uint8_t* pBuf,
                                        int nLimit) {
    return WaitForCharEx(nTerminator, dwTimeoutMs, pBuf, nLimit, true, nullptr);
}

int CTransferSerial::CLine::WaitForCharEx(int nTerminator, uint32_t dwTimeoutMs, uint8_t* pBuf,
                                          int nLimit, bool bForward, int* pnStored) {
    IClock& clock = m_port.m_host.Clock();
    const uint32_t dwStart = clock.GetTickCount();
    int n = 0;
    if (pnStored) *pnStored = 0;
    uint8_t b = 0;
    int r = Read(&b, 1, dwTimeoutMs);
    while (r > 0) {
        if (pBuf) {
            pBuf[n] = b;
            if (pnStored) *pnStored = n + 1;
        }
        ++n;
        if (n >= nLimit) return 0;
        if (static_cast<int>(b) == nTerminator) return n;
        if (bForward) m_port.m_host.PostSerialText(&b, 1);
        const uint32_t dwElapsed = clock.GetTickCount() - dwStart;
        if (dwElapsed > dwTimeoutMs) return 0;
        r = Read(&b, 1, dwTimeoutMs - dwElapsed);
    }
    return r;
}

int CTransferSerial::CLine::ReadLine(uint8_t* pBuf, int nLimit) {
    return WaitForChar('\n', 2000, pBuf, nLimit);
}

bool CTransferSerial::CLine::SendKey(int nKey, uint32_t dwListenMs) {
    const uint8_t b = static_cast<uint8_t>(nKey & 0xFF);
    if (!Write(&b, 1)) return false;
    m_port.m_host.PostSerialFormat("<%0x>", b);
    WaitForChar(-1, dwListenMs, nullptr, 32768);
    return true;
}

bool CTransferSerial::CLine::SendText(const char* pszText, uint32_t dwListenMs) {
    if (!Write(reinterpret_cast<const uint8_t*>(pszText), static_cast<int>(std::strlen(pszText))))
        return false;
    m_port.m_host.PostSerialFormat("<%s>", pszText);
    WaitForChar(-1, dwListenMs, nullptr, 32768);
    return true;
}

bool EnumerateSerialPorts(ISerialPortFactory& factory, std::vector<std::string>& arrPorts) {
    for (int n = 1; n <= 255; ++n) {
        const std::string strName = "COM" + std::to_string(n);
        if (factory.Probe(strName)) arrPorts.push_back(strName);
    }
    return true;
}
