#pragma once
#include <atomic>
#include <cstdarg>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/Config.h"
#include "app/Face.h"
#include "image/TransferFile.h"
#include "platform/Messages.h"
#include "platform/Socket.h"

class CTransferNode;
class CTransferSerial;
class IClock;
class IMessageBox;
class IProcessRunner;
class ITimerService;
class ISerialPortFactory;
class INetworkInfo;
class IProfile;

#define ORX_PRINTF(f, a) __attribute__((format(printf, f, a)))

// Ids that tell the two sockets apart in WM_BOOT_SOCKET (wParam).
constexpr int64_t SOCKET_ID_SERVER = 1;
constexpr int64_t SOCKET_ID_BROADCAST = 2;
constexpr uint16_t BOOT_SERVER_PORT = 980;
constexpr uint16_t NEWBOOT_PORT = 100;

constexpr int IDRETRY = 4;

// The operating-system services the engine uses; tests hand in fakes.
struct CPlatformServices {
    IMessagePoster* pPoster = nullptr;
    ITimerService* pTimers = nullptr;
    ISocketFactory* pSockets = nullptr;
    IClock* pClock = nullptr;
    IProcessRunner* pProcess = nullptr;
    IMessageBox* pMessageBox = nullptr;
    ISerialPortFactory* pSerialPorts = nullptr;
    INetworkInfo* pNetwork = nullptr;
};

// Text of a platform error code, as shown to the user.
std::string FormatErrorText(uint32_t dwCode);

// The one application object: every piece of server state and every server operation.
class CORXBootApp {
public:
    explicit CORXBootApp(const CPlatformServices& services);
    ~CORXBootApp();
    CORXBootApp(const CORXBootApp&) = delete;
    CORXBootApp& operator=(const CORXBootApp&) = delete;

    // --- start-up and shut-down ---
    // argv without the program name; options starting with "--" belong to the front end.
    void SetCommandLine(std::vector<std::string> arrArgs) { m_arrArgs = std::move(arrArgs); }
    // False when the program must end at once (another copy runs): nothing saved, exit 1.
    bool InitInstance(IAppFront& front);
    int ExitInstance();
    // Finds the settings file: the current directory first, else the per-user place.
    void LocateSettingsFile(const std::string& strExeName);
    void LoadConfig();
    void SaveConfig();

    // --- the faces (UI thread) ---
    // Reports go to the view from now on; null detaches it, dropping what is still queued.
    void AttachView(IBootView* pView);
    void AttachTerminal(ITerminalView* pView);

    // --- event reporting (any thread) ---
    void PostBootText(int nWParam, const std::string& strText);
    void LogMessage(const char* pszFormat, ...) ORX_PRINTF(2, 3);
    void LogTransferMessage(int nSlot, const char* pszFormat, ...) ORX_PRINTF(3, 4);
    void PostProgress(int nSlot);
    void PostStatusEvent(int nCode);
    void PostSerialText(const uint8_t* pBytes, size_t nCount);
    void PostSerialFormat(const char* pszFormat, ...) ORX_PRINTF(2, 3);

    // --- server manager (UI thread) ---
    bool StartServers();
    void StopServers();
    bool OpenSerialPort();
    bool OpenAllSerialPorts();
    void CloseSerialPorts();
    bool IsSerialDownloadActive();
    // The "COMn" names of the ports that can be opened now, in port order.
    std::vector<std::string> EnumerateSerialPorts();
    int FindTransferSlot(const CTransferNode* pTransfer);
    CTransferSerial* FindSerialByTransfer(const CTransferNode* pTransfer);
    // Appends under the transfer lock; returns the new slot.
    int AddTransfer(std::unique_ptr<CTransferNode> pTransfer);
    // Takes the transfer out of the list under the lock; null when it is not there.
    std::unique_ptr<CTransferNode> RemoveTransfer(const CTransferNode* pTransfer);
    // Destroys a transfer that left the list: ARP clearing, serial back-pointer.
    void DestroyTransfer(std::unique_ptr<CTransferNode> pTransfer);
    size_t TransferCount();

    // --- what a face reads and sets (UI thread) ---
    // Pages read the settings on init and write them on apply.
    CORXBootConfig& Config() { return m_config; }
    bool ServersRunning() const { return m_bServersRunning.load(); }
    bool SettingsReadOnly() const { return m_bSettingsReadOnly; }
    // The network stack is there: without it Ethernet boot cannot be chosen.
    bool SocketsAvailable() const { return m_bSocketsAvailable; }
    // Bytes of the loaded boot image; 0 while the servers are stopped.
    uint32_t ImageSize() const { return m_file.Length(); }
    std::optional<CTransferView> FirstTransfer();
    // Bytes sent so far by the download on the first serial port, when one runs there.
    std::optional<uint32_t> FirstSerialBytesSent();

    // --- the serial terminal (UI thread) ---
    void OpenTerminal();
    // Queues typed bytes on the first port and returns how many it took: none when no port
    // is open or a download runs on it, fewer than given when its send ring is full.
    size_t SendTerminalBytes(const uint8_t* pBytes, size_t nCount);
    // False when the key could not be queued (the face beeps).
    bool SendTerminalKey(uint8_t byKey) { return SendTerminalBytes(&byKey, 1) == 1; }

    // --- network boot server (UI thread) ---
    int OnNetSocket(int64_t nSocketId, int64_t nEvent);
    void OnNetTimer(uint32_t nId);
    void OnServerReceive();
    void CheckRetransmits();
    void ClearArpEntry(uint32_t dwAddr);

    // --- competing boot servers and address provisioning ---
    bool CreateBroadcastSocket();
    void SendNewbootBroadcast();
    void OnBroadcastReceive();
    bool PingAddress(uint32_t dwAddr);
    bool FindFreeAddress(uint32_t& dwAddr, int nTries);
    // The same, calling fnTrying with each candidate before its echo request; fnTrying
    // returning false ends the search at once with false and the address unchanged.
    bool FindFreeAddress(uint32_t& dwAddr, int nTries,
                         const std::function<bool(uint32_t)>& fnTrying);
    uint32_t ReadAdapterAddress();
    void LoadNetworkParams();

    // --- serial boot (port worker threads) ---
    int ServeSerialPort(CTransferSerial& port);
    int CheckSerialBootRequest(CTransferSerial& port, uint8_t* pRequest, int nReceived);
    bool SerialDownload(CTransferSerial& port);

    // --- state ---
    CORXBootConfig m_config;
    bool m_bSocketsAvailable = false;
    std::atomic<bool> m_bServersRunning{false};
    CTransferFile m_file;
    std::mutex m_lockTransfers;
    std::vector<std::unique_ptr<CTransferNode>> m_arrTransfers;
    std::unique_ptr<IDatagramSocket> m_pBroadcastSocket;
    std::unique_ptr<IDatagramSocket> m_pServerSocket;
    std::mutex m_lockSerial;
    std::vector<std::unique_ptr<CTransferSerial>> m_arrSerialPorts;
    bool m_bSettingsReadOnly = false;
    bool m_bCompetingAsked = false;

    std::string m_strSettingsPath;
    CPlatformServices m_sys;
    IAppFront* m_pFront = nullptr;

private:
    void ReportStartFailure(const std::string& strText);
    void OnEngineMessage(const CMessage& msg);
    // Asks the face to close the terminal window, if one is attached.
    void CloseTerminal();

    // The targets of the attached views; 0 while none is attached.
    std::atomic<HWND> m_hTerminalWnd{0};
    std::atomic<HWND> m_hMainWnd{0};
    // The engine's own target: socket notifications and timers.
    HWND m_hEngineWnd = 0;

    std::vector<std::string> m_arrArgs;
    std::unique_ptr<IProfile> m_pProfile;
};
