#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/BootEvents.h"
#include "net/ArpClearing.h"
#include "net/LogLimit.h"
#include "platform/Messages.h"
#include "platform/Socket.h"

class CEventReporter;
class CNetTransfer;
class CORXBootConfig;
class CTransferFile;
class CTransferNode;
class CTransferReporter;
class CTransferTable;
class IUserPrompts;
struct CPlatformServices;

// Ids that tell the two sockets apart in WM_BOOT_SOCKET (wParam).
constexpr int64_t SOCKET_ID_SERVER = 1;
constexpr int64_t SOCKET_ID_BROADCAST = 2;
constexpr uint16_t BOOT_SERVER_PORT = 980;
constexpr uint16_t NEWBOOT_PORT = 100;
constexpr size_t DEFAULT_MAX_TRANSFERS = 1024;
constexpr uint32_t TIMER_RETRANSMIT = 103;
constexpr uint32_t TIMER_BROADCAST = 105;

// The network boot server and the competing-server detection: the two UDP sockets, the
// retransmit and broadcast timers, and the network transfers. It runs on the UI thread,
// driven by its own message target, to which the platform delivers the sockets' read
// notifications (WM_BOOT_SOCKET) and the timers (WM_TIMER).
class CNetBootServer {
public:
    // fnStopServers stops every server (the user declined to run beside another one).
    CNetBootServer(const CPlatformServices& sys, const CORXBootConfig& config,
                   const CTransferFile& image, CTransferTable& transfers, CEventReporter& reporter,
                   CTransferReporter& reports, IUserPrompts& prompts,
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
    // The stop's last step: the ARP entries of the transfers it ended are cleared (see
    // CArpClearing::Finish).
    void FinishArpClearing();
    // Transfers at once. A boot request beyond them is held, with its write request sent,
    // while a transfer is silent (its write request unanswered past the first time-out);
    // a held unit that answers takes the place of the oldest silent transfer. Else it is not
    // answered. One line a second counts both.
    void SetMaxTransfers(size_t nMax) { m_nMaxTransfers = nMax; }

    int OnNetSocket(int64_t nSocketId, int64_t nEvent);
    void OnNetTimer(uint32_t nId);
    void OnServerReceive();
    void CheckRetransmits();
    // Has "arp -d" run for the unit, without waiting for it.
    void ClearArpEntry(uint32_t dwAddr);
    bool CreateBroadcastSocket();
    void SendNewbootBroadcast();
    void OnBroadcastReceive();

private:
    void OnBootRequest(const uint8_t* pData, size_t nLen, const CSockAddr& from);
    void OnUnitReply(CNetTransfer* pNode, const CSockAddr& from);
    void LogUnitLine(const CTransferNode& node, const std::string& strText);
    // Takes the transfer out of the list, has its ARP entry cleared, and reports its end:
    // completed, or failed for the reason given.
    void EndTransfer(CNetTransfer* pNode, std::optional<EFailReason> eFailure);
    // Appends the transfer to the list and tells that it started.
    CNetTransfer* AddTransfer(std::unique_ptr<CNetTransfer> pNew);
    void OnRequestBeyondBound(std::unique_ptr<CNetTransfer> pNew);
    // The held request of the address, taken out; null when there is none.
    std::unique_ptr<CNetTransfer> TakeHeld(uint32_t dwAddr);
    // A held unit answered: it becomes a transfer when there is room or a silent one to end.
    void OnHeldReply(std::unique_ptr<CNetTransfer> pHeld, const CSockAddr& from);
    // The oldest network transfer whose write request is unanswered past its first time-out.
    CNetTransfer* FindSilentTransfer();
    // The network transfer of the address; null when it has none.
    CNetTransfer* FindLive(uint32_t dwAddr) const;
    void ReportBeyondBound();

    const CPlatformServices& m_sys;
    const CORXBootConfig& m_config;
    const CTransferFile& m_image;
    CTransferTable& m_transfers;
    CEventReporter& m_reporter;
    CTransferReporter& m_reports;
    IUserPrompts& m_prompts;
    std::function<void()> m_fnStopServers;
    HWND m_hTarget = 0;
    std::unique_ptr<IDatagramSocket> m_pBroadcastSocket;
    std::unique_ptr<IDatagramSocket> m_pServerSocket;
    // The user was asked about another boot server since the servers started.
    bool m_bCompetingAsked = false;
    // Starts of the servers: an answer that comes after a stop and a new start is not for it.
    uint32_t m_nRun = 0;
    // Cleared on destruction, for an answer that comes later.
    std::shared_ptr<bool> m_pAlive = std::make_shared<bool>(true);
    CLogLimiter m_log;
    std::unique_ptr<CArpClearing> m_pArp;  // none without a process runner
    size_t m_nMaxTransfers = DEFAULT_MAX_TRANSFERS;
    // Boot requests held beyond the bound, oldest first, each with its write request sent.
    std::deque<std::unique_ptr<CNetTransfer>> m_arrHeld;
    // The network transfers in the list, in the order they began. UI thread only: what they
    // hold besides their byte count is this thread's, so it is read without the list's lock.
    std::vector<CNetTransfer*> m_arrLive;
    // Since the last report: requests beyond the bound, and held units that took the place
    // of silent transfers.
    uint32_t m_nBeyondBound = 0;
    uint32_t m_nTakenOn = 0;
};
