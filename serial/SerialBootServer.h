#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "serial/TransferSerial.h"

class CEventReporter;
class CORXBootConfig;
class CTransferFile;
class CTransferReporter;
class CTransferTable;
class IUserPrompts;
struct CPlatformServices;

// The serial boot server: the serial port list and its lock, and what each port's worker
// thread does (serving the port, the serial download). The UI thread opens and closes the
// ports; no code holds this lock and the transfer lock at once.
class CSerialBootServer : public ISerialHost {
public:
    CSerialBootServer(const CPlatformServices& sys, const CORXBootConfig& config,
                      CTransferFile& image, CTransferTable& transfers, CEventReporter& reporter,
                      CTransferReporter& reports, IUserPrompts& prompts,
                      std::atomic<bool>& bServersRunning);
    // Stops and closes every port.
    ~CSerialBootServer() override;
    CSerialBootServer(const CSerialBootServer&) = delete;
    CSerialBootServer& operator=(const CSerialBootServer&) = delete;

    // --- UI thread ---
    bool OpenSerialPort();
    bool OpenAllSerialPorts();
    void CloseSerialPorts();
    bool IsSerialDownloadActive();
    // The names of the open ports, in the order they were opened.
    std::vector<std::string> OpenPorts();
    // The "COMn" names of the ports that can be opened now, in port order.
    std::vector<std::string> EnumerateSerialPorts();
    // Queues typed bytes on the first port; how many it took (none when no port is usable
    // or a download runs on it, fewer when its send ring is full).
    size_t SendTerminalBytes(const uint8_t* pBytes, size_t nCount);
    // Bytes sent so far by the download on the first port, when one runs there.
    std::optional<uint32_t> FirstSerialBytesSent();
    // The first port's line went away (its adapter pulled, the line hung up), not back yet.
    bool IsFirstPortDown();

    // --- port worker threads ---
    IClock& Clock() override;
    ISerialPortFactory* SerialPorts() override;
    // Serves the port until it is stopped; when its device goes away, says so and serves
    // it again once it is back under its name.
    int RunSerialPort(CTransferSerial::CLine& port) override;
    // Serves the open port until it is stopped or fails.
    int ServeSerialPort(CTransferSerial::CLine& port);
    void PostSerialText(const uint8_t* pBytes, size_t nCount) override;
    // Only while the servers run.
    void PostSerialFormat(const char* pszFormat, ...) override ORX_PRINTF(2, 3);
    // 0: a valid request; -1: the port failed or stopped; -2: a bad checksum; > 0: none here.
    int CheckSerialBootRequest(CTransferSerial::CLine& port, uint8_t* pRequest, int nReceived);
    // False only when the image is corrupt (nothing was sent).
    bool SerialDownload(CTransferSerial::CLine& port);

private:
    void DriveBootMenu(CTransferSerial::CLine& port);

    const CPlatformServices& m_sys;
    const CORXBootConfig& m_config;
    CTransferFile& m_image;
    CTransferTable& m_transfers;
    CEventReporter& m_reporter;
    CTransferReporter& m_reports;
    IUserPrompts& m_prompts;
    std::atomic<bool>& m_bServersRunning;
    std::mutex m_lockSerial;
    std::vector<std::unique_ptr<CTransferSerial>> m_arrSerialPorts;
};
