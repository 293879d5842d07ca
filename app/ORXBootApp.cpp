#include "app/ORXBootApp.h"

#include "net/TransferNode.h"
#include "platform/IniProfile.h"
#include "platform/InstanceLock.h"
#include "platform/MessageBox.h"
#include "platform/SettingsPath.h"
#include "serial/TransferSerial.h"

CORXBootApp::CORXBootApp(const CPlatformServices& services) : m_sys(services) {}

CORXBootApp::~CORXBootApp() = default;

bool CORXBootApp::InitInstance(IAppFront& front) {
    m_pFront = &front;
    if (!AcquireInstanceLock("ORXBoot")) {
        m_sys.pMessageBox->Show("A copy of ORXBoot is already running", MB_OK);
        m_nExitCode = 1;
        return false;
    }
    LocateSettingsFile("orxboot");
    // Sockets are part of the system here; the flag stays for the cases that test without them.
    m_bSocketsAvailable = m_sys.pSockets != nullptr;
    LoadConfig();
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
    if (m_pFront && m_pFront->TerminalExists()) m_pFront->DestroyTerminal();
    SaveConfig();
    return m_nExitCode;
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
        m_config.ParseParam(strArg);
    }
    if (m_bSocketsAvailable) {
        LoadNetworkParams();
    } else {
        m_config.m_nBootNet = 0;
    }
}

void CORXBootApp::SaveConfig() {
    if (m_bSettingsReadOnly || !m_pProfile) return;
    m_config.Save(*m_pProfile);
    static_cast<CIniProfile*>(m_pProfile.get())->Flush();
}
