#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class CORXBootApp;
class CTransferNode;
class ISerialDevice;
class ISerialPortFactory;

constexpr int SERIAL_STATE_WAITING = -1;
constexpr int SERIAL_STATE_DOWNLOADING = -2;
constexpr int SERIAL_STATE_DONE = -3;
constexpr int SERIAL_STATE_FAILED = -4;
constexpr int SERIAL_STATE_CLOSED = -6;

// One open serial port with its worker thread and the ring of bytes typed by the user.
class CTransferSerial {
public:
    CTransferSerial(CORXBootApp& app, const std::string& strPort, int32_t nBaud);
    ~CTransferSerial();

    bool Open(const std::string& strPort, int32_t nBaud);
    void Close();
    void RequestStop();
    bool Shutdown();
    bool QueueSend(const uint8_t* pBytes, int nCount);
    bool Write(const uint8_t* pBytes, int nCount);
    void PurgeInput();
    int Read(uint8_t* pBuf, int nCount, uint32_t dwTimeoutMs);
    int WaitForChar(int nTerminator, uint32_t dwTimeoutMs, uint8_t* pBuf, int nLimit);
    int ReadLine(uint8_t* pBuf, int nLimit);
    bool SendKey(int nKey, uint32_t dwListenMs);
    bool SendText(const char* pszText, uint32_t dwListenMs);

    bool IsOpen() const;
    bool Usable() const { return !m_bStop && IsOpen(); }

    CORXBootApp& m_app;
    std::unique_ptr<ISerialDevice> m_hPort;
    std::unique_ptr<std::thread> m_pThread;
    std::atomic<int32_t> m_nSendHead{0};
    std::atomic<int32_t> m_nSendTail{0};
    uint8_t m_sendRing[256] = {};
    std::atomic<bool> m_bStop{true};
    std::string m_strPort;
    std::atomic<int32_t> m_nState{SERIAL_STATE_WAITING};
    std::atomic<CTransferNode*> m_pTransfer{nullptr};
};

// Appends "COMn" for every port from 1 to 255 that can be opened now; always true.
bool EnumerateSerialPorts(ISerialPortFactory& factory, std::vector<std::string>& arrPorts);
