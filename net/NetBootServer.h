#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/Messages.h"
#include "platform/Socket.h"

class CEventReporter;
class CORXBootConfig;
class CTransferFile;
class CTransferNode;
class CTransferTable;
struct CPlatformServices;

// Ids that tell the two sockets apart in WM_BOOT_SOCKET (wParam).
constexpr int64_t SOCKET_ID_SERVER = 1;
constexpr int64_t SOCKET_ID_BROADCAST = 2;
constexpr uint16_t BOOT_SERVER_PORT = 980;
constexpr uint16_t NEWBOOT_PORT = 100;

// The network boot server and the competing-server detection: the two UDP sockets, the
// retransmit and broadcast timers, and the network transfers. It runs on the UI thread,
// driven by its own message target, to which the platform delivers the sockets' read
// notifications (WM_BOOT_SOCKET) and the timers (WM_TIMER).
class CNetBootServer {
public:
    // fnStopServers stops every server (the user declined to run beside another one).
    CNetBootServer(const CPlatformServices& sys, const CORXBootConfig& config,
                   const CTransferFile& image, CTransferTable& transfers, CEventReporter& reporter,
                   std::function<void()> fnStopServers);
    ~CNetBootServer();
    CNetBootServer(const CNetBootServer&) = delete;
    CNetBootServer& operator=(const CNetBootServer&) = delete;

    // The network steps of StartServers: the broadcast socket (NETTYPE 0), the server socket
    // on port 980 with its notification, the retransmit timer. False with the failure's text.
    bool Start(std::string& strFailure);
    // Closes what is open and stops its timer.
    void Stop();
    // A network transfer that left the list: its ARP entry is cleared, then it is destroyed.
    void DestroyTransfer(std::unique_ptr<CTransferNode> pTransfer);

    int OnNetSocket(int64_t nSocketId, int64_t nEvent);
    void OnNetTimer(uint32_t nId);
    void OnServerReceive();
    void CheckRetransmits();
    // Starts "arp -d" for the unit without waiting for it.
    void ClearArpEntry(uint32_t dwAddr);
    bool CreateBroadcastSocket();
    void SendNewbootBroadcast();
    void OnBroadcastReceive();

private:
    void OnBootRequest(const uint8_t* pData, size_t nLen, const CSockAddr& from);
    void OnUnitReply(CTransferNode* pNode, const CSockAddr& from);
    void LogUnitLine(const CTransferNode& node, const std::string& strText);

    const CPlatformServices& m_sys;
    const CORXBootConfig& m_config;
    const CTransferFile& m_image;
    CTransferTable& m_transfers;
    CEventReporter& m_reporter;
    std::function<void()> m_fnStopServers;
    HWND m_hTarget = 0;
    std::unique_ptr<IDatagramSocket> m_pBroadcastSocket;
    std::unique_ptr<IDatagramSocket> m_pServerSocket;
    // The user was asked about another boot server since the servers started.
    bool m_bCompetingAsked = false;
    // Cleared on destruction, for the ARP commands that end later.
    std::shared_ptr<bool> m_pAlive = std::make_shared<bool>(true);
};
