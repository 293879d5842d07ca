#pragma once
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

#include "app/ORXBootApp.h"
#include "platform/Clock.h"
#include "platform/LastError.h"
#include "platform/NetworkInfo.h"
#include "platform/Process.h"
#include "platform/SerialDevice.h"
#include "platform/Socket.h"
#include "platform/WindowSystem.h"
#include "tests/ui/SheetRig.h"
#include "tests/ui/UiTest.h"
#include "ui/GuiFront.h"
#include "ui/MainSheet.h"
#include "ui/TerminalWnd.h"

// Echo requests answered by a set of addresses, never by the network. With bHold set an
// echo request waits until Release (as a real one waits up to a second).
class CFakeEcho : public INetworkInfo {
public:
    bool GetHostName(std::string& strName) override {
        strName = "bench";
        return true;
    }
    bool Ping(uint32_t dwAddrNet, uint32_t) override {
        std::unique_lock<std::mutex> lock(m_lock);
        m_arrPinged.push_back(dwAddrNet);
        m_cv.wait(lock, [this] { return !m_bHold; });
        return m_bAllAnswer || m_setAnswering.count(dwAddrNet) != 0;
    }
    uint32_t GetFirstAdapterAddress(uint32_t&, uint32_t&) override { return ERROR_NOT_SUPPORTED; }
    void Answer(const char* pszAddr) {
        uint32_t dw = 0;
        ParseDottedAddress(pszAddr, dw);
        std::lock_guard<std::mutex> g(m_lock);
        m_setAnswering.insert(dw);
    }
    void AllAnswer() {
        std::lock_guard<std::mutex> g(m_lock);
        m_bAllAnswer = true;
    }
    void Hold() {
        std::lock_guard<std::mutex> g(m_lock);
        m_bHold = true;
    }
    void Release() {
        std::lock_guard<std::mutex> g(m_lock);
        m_bHold = false;
        m_cv.notify_all();
    }
    size_t PingCount() {
        std::lock_guard<std::mutex> g(m_lock);
        return m_arrPinged.size();
    }

private:
    std::mutex m_lock;
    std::condition_variable m_cv;
    std::set<uint32_t> m_setAnswering;
    std::vector<uint32_t> m_arrPinged;
    bool m_bHold = false;
    bool m_bAllAnswer = false;
};

// The engine and the windowed face as the program builds them, its serial ports being
// pseudo-terminals that simulated units make (COMn links in a folder of the test's own),
// its boxes answered by the test, its echo requests by CFakeEcho.
class CSerialRig {
public:
    CSerialRig() {
        qputenv("ORXBOOT_COMDIR", m_dir.path().toUtf8());
        CPlatformServices s;
        s.pPoster = &m_windows;
        s.pTimers = &m_windows;
        s.pSockets = &m_windows;
        s.pClock = &m_clock;
        s.pProcess = &m_process;
        s.pMessageBox = &m_boxes;
        s.pSerialPorts = &m_ports;
        s.pNetwork = &m_echo;
        m_pApp = std::make_unique<CORXBootApp>(s);
        m_pFront = std::make_unique<CGuiFront>(*m_pApp, m_boxes, m_files);
        m_pApp->AttachFront(m_pFront.get());
        CORXBootConfig& cfg = m_pApp->Config();
        cfg.m_strComPort = "COM1";
        cfg.m_nComBaud = 115200;
        cfg.m_strBootFile = ORX_BIN_DIR "/samples/small.bin";
    }
    ~CSerialRig() {
        CloseSheet();
        m_pFront->DestroyTerminal();
        m_pApp->StopServers();
        m_pApp->CloseSerialPorts();
        for (auto& pUnit : m_arrUnits) {
            pUnit->kill();
            pUnit->waitForFinished(5000);
        }
    }

    // The main sheet as start-up shows it, on the given page.
    CMainSheet& OpenSheet(int nPage) {
        m_pSheet = std::make_unique<CMainSheet>(
            CMainSheet::CServices{*m_pApp, m_boxes, m_files, nullptr}, nPage);
        m_pFront->Attach(*m_pSheet);
        m_pSheet->show();
        QApplication::setActiveWindow(m_pSheet.get());
        (void)QTest::qWaitForWindowActive(m_pSheet.get());
        return *m_pSheet;
    }
    void CloseSheet() {
        if (!m_pSheet) return;
        m_pFront->Detach();
        m_pSheet.reset();
    }
    template <class T>
    T* Find(const char* pszName) const {
        return m_pSheet->findChild<T*>(pszName);
    }

    // A simulated unit (orxunit serial) on a new pseudo-terminal linked as strPort, once
    // its line is there; null when it never came.
    QProcess* StartUnit(const QString& strPort, QStringList arrArgs) {
        auto pUnit = std::make_unique<QProcess>();
        arrArgs = QStringList{"serial", "--make-pty", m_dir.filePath(strPort), "--image",
                              ORX_BIN_DIR "/samples/small.bin"} +
                  arrArgs;
        pUnit->start(ORX_BIN_DIR "/orxunit", arrArgs);
        const QString strLink = m_dir.filePath(strPort);
        if (!QTest::qWaitFor([&] { return QFileInfo(strLink).isSymLink(); }, 5000)) return nullptr;
        m_arrUnits.push_back(std::move(pUnit));
        return m_arrUnits.back().get();
    }

    CORXBootApp& App() { return *m_pApp; }
    CORXBootConfig& Config() { return m_pApp->Config(); }
    CTerminalWnd& Terminal() { return m_pFront->Terminal(); }
    // The settings file read-only (or not), as start-up finds it in the current folder.
    void SetSettingsReadOnly(bool bReadOnly) {
        const QString strIni = m_dir.filePath("orxboot.ini");
        if (!QFile::exists(strIni)) {
            QFile file(strIni);
            (void)file.open(QIODevice::WriteOnly);
        }
        QFile::setPermissions(strIni,
                              bReadOnly ? QFile::ReadOwner : QFile::ReadOwner | QFile::WriteOwner);
        const QString strCwd = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
        m_pApp->LocateSettingsFile("orxboot");
        QDir::setCurrent(strCwd);
    }
    CFakeMessageBox& Boxes() { return m_boxes; }
    CFakeFiles& Files() { return m_files; }
    CFakeEcho& Echo() { return m_echo; }
    // Whether another program could take the port now (the engine holds it exclusively).
    bool PortFree(const char* pszPort) { return m_ports.Probe(pszPort); }

private:
    QTemporaryDir m_dir;
    CWindowSystem m_windows;
    CSystemClock m_clock;
    CProcessRunner m_process;
    CFakeMessageBox m_boxes;
    CFakeFiles m_files;
    CSerialPortFactory m_ports;
    CFakeEcho m_echo;
    std::unique_ptr<CORXBootApp> m_pApp;
    std::unique_ptr<CGuiFront> m_pFront;
    std::unique_ptr<CMainSheet> m_pSheet;
    std::vector<std::unique_ptr<QProcess>> m_arrUnits;
};
