#include "app/ORXBootApp.h"

#include "app/ImageInfo.h"
#include "net/Provisioning.h"
#include "platform/EventLoop.h"
#include "platform/IniProfile.h"
#include "platform/InstanceLock.h"
#include "platform/LastError.h"
#include "platform/MessageBox.h"
#include "platform/SettingsPath.h"
#include "server/ServerManager.h"

CORXBootApp::CORXBootApp(const CPlatformServices& services)
    : m_sys(services),
      m_reporter(*m_sys.pPoster),
      m_pServers(std::make_unique<CServerManager>(
          m_sys, m_config, m_reporter, m_prompts,
          CServerManager::CHooks{[this](bool bOn) {
                                     if (m_pFront) m_pFront->SetWaitCursor(bOn);
                                 },
                                 [this] { CloseTerminal(); }})),
      m_pProvisioning(std::make_unique<CAddressProvisioning>(m_sys, m_prompts)) {}

CORXBootApp::~CORXBootApp() = default;

bool CORXBootApp::InitInstance(IAppFront& front) {
    m_pFront = &front;
    if (!AcquireInstanceLock("ORXBoot")) {
        m_prompts.Tell({EPrompt::AlreadyRunning, "A copy of ORXBoot is already running", MB_OK});
        return false;
    }
    LocateSettingsFile("orxboot");
    LoadConfig();
    KeepRecords();
    for (;;) {
        const bool bWizard = m_config.m_bWizardMode;
        if (bWizard && front.HasSheet()) {
            m_config.m_nBootSerial = 1;
            m_config.m_bTranAutoStart = false;
            m_config.m_bTranCloseDone = false;
            m_config.m_bTerminal = false;
        }
        const int nResult = front.RunSheet();
        if (nResult == IDRETRY && m_config.m_bWizardMode != bWizard) continue;
        break;
    }
    return true;
}

int CORXBootApp::ExitInstance() {
    CloseTerminal();
    SaveConfig();
    // The ends of the transfers the last stop halted are still on their way.
    ProcessPendingEvents();
    m_reporter.AttachRecorder(nullptr);
    // A record that could not be written during the run is told once, at its end.
    if (m_pHistory) m_pHistory->Flush();
    if (!HistoryFailure().empty() && !m_bHistoryFailureTold && m_pFront)
        m_pFront->OnHistoryNotKept(HistoryFailure());
    return m_pFront ? m_pFront->ExitCode() : 0;
}

void CORXBootApp::KeepRecords() {
    m_reporter.AttachRecorder(&m_recorder);
    if (m_strHistoryFolder.empty() || m_pHistory) return;
    m_pHistory = std::make_unique<CBootHistory>(m_strHistoryFolder);
    m_recorder.SetHistory(m_pHistory.get());
    if (m_pHistory->Open()) return;
    m_bHistoryFailureTold = true;
    if (m_pFront) m_pFront->OnHistoryNotKept(m_pHistory->Failure());
}

void CORXBootApp::OpenHistory() {
    if (m_pFront) m_pFront->OpenHistory();
}

CHistoryContents CORXBootApp::ReadHistory() {
    return m_pHistory ? m_pHistory->Read() : CHistoryContents{};
}

std::string CORXBootApp::HistoryPath() const {
    return m_pHistory ? m_pHistory->Path() : std::string();
}

std::string CORXBootApp::HistoryFailure() const {
    return m_pHistory ? m_pHistory->Failure() : std::string();
}

CRecordCounts CORXBootApp::TransfersSinceStart() const {
    return m_recorder.SinceStart();
}

void CORXBootApp::SetRecordListener(std::function<void(const CBootRecord*)> fnListener) {
    m_recorder.m_fnRecorded = std::move(fnListener);
}

void CORXBootApp::SetEventSink(std::function<void(const CJsonObject&)> fnSink) {
    m_recorder.m_fnEvent = std::move(fnSink);
}

void CORXBootApp::LocateSettingsFile(const std::string& strExeName) {
    const CSettingsLocation loc = LocateSettings(strExeName);
    m_strSettingsPath = loc.strPath;
    m_bSettingsReadOnly = loc.bReadOnly;
}

void CORXBootApp::LoadConfig() {
    auto pProfile = std::make_unique<CIniProfile>(m_strSettingsPath);
    m_config.Load(*pProfile);
    m_pProfile = std::move(pProfile);
    for (const auto& strArg : m_arrArgs) {
        if (strArg.rfind("--", 0) == 0) continue;  // the front end's own options
        const std::string strWhy = m_config.ParseParam(strArg);
        if (!strWhy.empty() && m_pFront) m_pFront->OnArgumentRefused(strWhy);
    }
    if (SocketsAvailable()) {
        m_pProvisioning->LoadNetworkParams(m_config, m_pFront);
    } else {
        m_config.m_nBootNet = 0;
    }
}

void CORXBootApp::SaveConfig() {
    if (m_bSettingsReadOnly || !m_pProfile) return;
    m_config.Save(*m_pProfile);
    if (static_cast<CIniProfile*>(m_pProfile.get())->Flush()) return;
    // The profile writes through a new file and a rename, so what was there stays whole.
    const std::string strText = "The settings could not be saved to '" + m_strSettingsPath +
                                "': " + FormatErrorText(GetLastError()) +
                                ". The file keeps its previous contents.";
    if (m_pFront) m_pFront->OnSettingsNotSaved(strText);
}

void CORXBootApp::CloseTerminal() {
    if (!m_reporter.TerminalAttached()) return;
    if (m_pFront) m_pFront->DestroyTerminal();
    AttachTerminal(nullptr);
}

void CORXBootApp::LogMessage(const char* pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    const std::string str = FormatV(pszFormat, args);
    va_end(args);
    m_reporter.Post(CLogLine{str});
}

void CORXBootApp::OpenTerminal() {
    if (m_pFront) m_pFront->OpenTerminal();
}

bool CORXBootApp::StartServers() {
    return m_pServers->StartServers();
}

void CORXBootApp::StopServers() {
    m_pServers->StopServers();
}

bool CORXBootApp::ServersRunning() const {
    return m_pServers->ServersRunning();
}

void CORXBootApp::SetMaxTransfers(size_t nMax) {
    m_pServers->SetMaxTransfers(nMax);
}

size_t CORXBootApp::TransferCount() {
    return m_pServers->TransferCount();
}

std::optional<CTransferView> CORXBootApp::FirstTransfer() {
    return m_pServers->FirstTransfer();
}

uint32_t CORXBootApp::ImageSize() const {
    return m_pServers->ImageSize();
}

bool CORXBootApp::IsSerialDownloadActive() {
    return m_pServers->IsSerialDownloadActive();
}

std::optional<uint32_t> CORXBootApp::FirstSerialBytesSent() {
    return m_pServers->FirstSerialBytesSent();
}

bool CORXBootApp::OpenSerialPort() {
    return m_pServers->OpenSerialPort();
}

void CORXBootApp::CloseSerialPorts() {
    m_pServers->CloseSerialPorts();
}

std::string CORXBootApp::BootFileProblem(const std::string& strPath) const {
    return SerialBootFileProblem(strPath);
}

std::vector<std::string> CORXBootApp::EnumerateSerialPorts() {
    return m_pServers->EnumerateSerialPorts();
}

bool CORXBootApp::TerminalLineDown() {
    return m_pServers->IsFirstPortDown();
}

size_t CORXBootApp::SendTerminalBytes(const uint8_t* pBytes, size_t nCount) {
    return m_pServers->SendTerminalBytes(pBytes, nCount);
}

std::unique_ptr<IAddressSearch> CORXBootApp::StartAddressSearch(uint32_t dwAddrNet, int nTries,
                                                                IAddressSearch::FTrying fnTrying,
                                                                IAddressSearch::FDone fnDone) {
    return m_pProvisioning->StartAddressSearch(dwAddrNet, nTries, std::move(fnTrying),
                                               std::move(fnDone));
}

void CORXBootApp::CancelAddressSearch() {
    m_pProvisioning->CancelAddressSearch();
}
