#include "app/ORXBootApp.h"

#include "net/TransferNode.h"
#include "platform/IniProfile.h"
#include "platform/InstanceLock.h"
#include "platform/MessageBox.h"
#include "platform/SettingsPath.h"
#include "serial/TransferSerial.h"

CORXBootApp::CORXBootApp(const CPlatformServices& services) : m_sys(services) {
    m_hEngineWnd = m_sys.pPoster->CreateWindow([this](CMessage& msg) { OnEngineMessage(msg); });
}

CORXBootApp::~CORXBootApp() {
    AttachView(nullptr);
    AttachTerminal(nullptr);
    m_sys.pPoster->DestroyWindow(m_hEngineWnd);
}

void CORXBootApp::OnEngineMessage(const CMessage& msg) {
    if (msg.nMsg == WM_BOOT_SOCKET) {
        OnNetSocket(msg.wParam, msg.lParam);
    } else if (msg.nMsg == WM_TIMER) {
        OnNetTimer(static_cast<uint32_t>(msg.wParam));
    }
}

void CORXBootApp::AttachView(IBootView* pView) {
    const HWND hOld = m_hMainWnd.exchange(0);
    if (hOld != 0) m_sys.pPoster->DestroyWindow(hOld);
    if (pView == nullptr) return;
    m_hMainWnd = m_sys.pPoster->CreateWindow([pView](CMessage& msg) {
        if (msg.nMsg == WM_BOOT_TEXT) {
            pView->OnBootText(static_cast<int>(msg.wParam), msg.strText);
        } else if (msg.nMsg == WM_BOOT_PROGRESS) {
            pView->OnBootProgress(static_cast<int>(msg.wParam), static_cast<int>(msg.lParam));
        } else if (msg.nMsg == WM_CLOSE) {
            pView->OnCloseRequest();
        }
    });
}

void CORXBootApp::CloseTerminal() {
    if (m_hTerminalWnd.load() == 0) return;
    if (m_pFront) m_pFront->DestroyTerminal();
    AttachTerminal(nullptr);
}

void CORXBootApp::AttachTerminal(ITerminalView* pView) {
    const HWND hOld = m_hTerminalWnd.exchange(0);
    if (hOld != 0) m_sys.pPoster->DestroyWindow(hOld);
    if (pView == nullptr) return;
    m_hTerminalWnd = m_sys.pPoster->CreateWindow([pView](CMessage& msg) {
        if (msg.nMsg == WM_SERIAL_TEXT) pView->OnSerialText(msg.bytes);
    });
}

bool CORXBootApp::InitInstance(IAppFront& front) {
    m_pFront = &front;
    if (!AcquireInstanceLock("ORXBoot")) {
        m_sys.pMessageBox->Show("A copy of ORXBoot is already running", MB_OK);
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
    CloseTerminal();
    SaveConfig();
    return m_pFront ? m_pFront->ExitCode() : 0;
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
