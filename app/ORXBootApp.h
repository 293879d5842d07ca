#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/AppFront.h"
#include "app/BootHistory.h"
#include "app/BootRecorder.h"
#include "base/AddressSearchHandle.h"
#include "base/Config.h"
#include "base/EventReporter.h"
#include "base/FormatText.h"
#include "base/PlatformServices.h"
#include "base/Views.h"

class CAddressProvisioning;
class CServerManager;
class IProfile;

constexpr int IDRETRY = 4;

// The one application object: the settings, the start-up and shut-down, and the servers,
// each kept by the part whose job it is. A face reaches the engine only through the
// operations below (see base/Views.h for what it receives).
class CORXBootApp {
public:
    explicit CORXBootApp(const CPlatformServices& services);
    ~CORXBootApp();
    CORXBootApp(const CORXBootApp&) = delete;
    CORXBootApp& operator=(const CORXBootApp&) = delete;

    // --- start-up and shut-down (UI thread) ---
    // argv without the program name; options starting with "--" belong to the front end.
    void SetCommandLine(std::vector<std::string> arrArgs) { m_arrArgs = std::move(arrArgs); }
    // False when the program must end at once (another copy runs): nothing saved, exit 1.
    bool InitInstance(IAppFront& front);
    // Closes the terminal, saves the settings; what main returns.
    int ExitInstance();
    // The face of the run; InitInstance attaches the one it is given.
    void AttachFront(IAppFront* pFront) { m_pFront = pFront; }
    // Finds the settings file: the current directory first, else the per-user place.
    void LocateSettingsFile(const std::string& strExeName);
    void LoadConfig();
    // Writes the settings back unless the file is read-only; a failure is told to the face.
    void SaveConfig();

    // --- settings (UI thread): pages read them on init and write them on apply ---
    CORXBootConfig& Config() { return m_config; }
    bool SettingsReadOnly() const { return m_bSettingsReadOnly; }
    // The settings file this run reads and writes.
    const std::string& SettingsPath() const { return m_strSettingsPath; }
    // The network stack is there: without it Ethernet boot cannot be chosen.
    bool SocketsAvailable() const { return m_sys.SocketsAvailable(); }

    // --- the views (UI thread) ---
    // Reports go to the view from now on; null detaches it, dropping what is still queued.
    void AttachView(IBootView* pView) { m_reporter.AttachView(pView); }
    void AttachTerminal(ITerminalView* pView) { m_reporter.AttachTerminal(pView); }
    // A line for the log, as the servers write theirs.
    void LogMessage(const char* pszFormat, ...) ORX_PRINTF(2, 3);

    // --- the servers (UI thread) ---
    bool StartServers();
    void StopServers();
    bool ServersRunning() const;
    // Network transfers at once (--max-transfers); not a setting of the file.
    void SetMaxTransfers(size_t nMax);
    size_t TransferCount();
    std::optional<CTransferView> FirstTransfer();
    // Bytes of the loaded boot image; 0 while the servers are stopped.
    uint32_t ImageSize() const;
    bool IsSerialDownloadActive();
    // Bytes sent so far by the download on the first serial port, when one runs there.
    std::optional<uint32_t> FirstSerialBytesSent();
    // Why a serial download could not use this boot image file (the words of --info), or
    // nothing when it can. Reads the whole file.
    std::string BootFileProblem(const std::string& strPath) const;

    // --- the serial terminal (UI thread) ---
    // Shows the terminal window, or brings it to the front (the face does it).
    void OpenTerminal();
    // Opens COMPORT at COMBAUD when no port is open; on failure the user has been told.
    bool OpenSerialPort();
    void CloseSerialPorts();
    // The "COMn" names of the ports that can be opened now, in port order.
    std::vector<std::string> EnumerateSerialPorts();
    // Queues typed bytes on the first port and returns how many it took: none when no port
    // is open or a download runs on it, fewer than given when its send ring is full.
    size_t SendTerminalBytes(const uint8_t* pBytes, size_t nCount);
    // The terminal's port went away (adapter pulled, line hung up) and is not back yet.
    bool TerminalLineDown();

    // --- the boot history (UI thread) ---
    // Where InitInstance opens the history, once this copy is the only one; without a
    // folder (tests) no history is kept.
    void SetHistoryFolder(std::string strFolder) { m_strHistoryFolder = std::move(strFolder); }
    // Records every transfer from now on, in the history when a folder was set (InitInstance
    // calls it; a program without it, such as the screenshots, may too).
    void KeepRecords();
    // Shows the History view (the face does it).
    void OpenHistory();
    // Every record kept, those of this run included, oldest first.
    CHistoryContents ReadHistory();
    // The history file; empty when none is kept.
    std::string HistoryPath() const;
    // Why records are not being kept; empty while they are.
    std::string HistoryFailure() const;
    // Transfers that ended since the servers last started.
    CRecordCounts TransfersSinceStart() const;
    // Called with each record as it is made, and with null when the servers start (the
    // counts begin again); an empty function stops the calls.
    void SetRecordListener(std::function<void(const CBootRecord*)> fnListener);
    // Every transfer's start and end (with its record) and every start and stop of the
    // servers as one JSON object each, from now on (--events).
    void SetEventSink(std::function<void(const CJsonObject&)> fnSink);

    // --- the unit's fixed address (UI thread) ---
    // The Ethernet page's test of an address: an echo request to it and, when it answers,
    // the search for a silent one after it (nTries candidates), on a thread of its own.
    std::unique_ptr<IAddressSearch> StartAddressSearch(uint32_t dwAddrNet, int nTries,
                                                       IAddressSearch::FTrying fnTrying,
                                                       IAddressSearch::FDone fnDone);
    // Ends the start-up search (see IStartupSearchView): the settings keep their loaded values.
    void CancelAddressSearch();

private:
    // What the engine tells or asks goes to the face of the run; with none, nowhere.
    class CPromptRelay : public IUserPrompts {
    public:
        explicit CPromptRelay(IAppFront*& pFront) : m_pFront(pFront) {}
        void Tell(const CPrompt& prompt) override {
            if (m_pFront) m_pFront->Tell(prompt);
        }
        void Ask(const CPrompt& prompt, FAnswer fnAnswer) override {
            if (m_pFront) m_pFront->Ask(prompt, std::move(fnAnswer));
        }

    private:
        IAppFront*& m_pFront;
    };

    // Asks the face to close the terminal window, if one is attached.
    void CloseTerminal();

    CPlatformServices m_sys;
    CORXBootConfig m_config;
    std::vector<std::string> m_arrArgs;
    std::string m_strSettingsPath;
    bool m_bSettingsReadOnly = false;
    std::unique_ptr<IProfile> m_pProfile;
    IAppFront* m_pFront = nullptr;
    CPromptRelay m_prompts{m_pFront};
    std::string m_strHistoryFolder;
    std::unique_ptr<CBootHistory> m_pHistory;
    bool m_bHistoryFailureTold = false;
    CBootRecorder m_recorder{nullptr};  // fed with or without a view, from InitInstance on

    CEventReporter m_reporter;
    std::unique_ptr<CServerManager> m_pServers;
    std::unique_ptr<CAddressProvisioning> m_pProvisioning;
};
