#pragma once
// A main sheet over the real engine. By default its sockets, clock and processes are fakes,
// so the tests make units ask and answer without a network. With bReal they are the
// system's, and the serial ports are pseudo-terminals that simulated units make (COMn links
// in the rig's folder). Echo requests always go to a fake network.
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <fstream>

#include "app/ORXBootApp.h"
#include "app/SystemServices.h"
#include "net/NetBootServer.h"
#include "tests/EngineRig.h"
#include "tests/Fakes.h"
#include "tests/TestImage.h"
#include "tests/ui/UiTest.h"
#include "ui/FileDialog.h"
#include "ui/GuiFront.h"
#include "ui/LogView.h"
#include "ui/ModalSheet.h"
#include "ui/PageIds.h"
#include "ui/ServerControl.h"
#include "ui/SheetWindow.h"

constexpr const char* kSmallImage = ORX_BIN_DIR "/samples/small.bin";

class CFakeFiles : public IFileDialog {
public:
    std::optional<std::string> OpenBootFile(QWidget*, const std::string&) override {
        return m_strAnswer;
    }
    std::optional<std::string> SaveFile(QWidget*, const std::string&, const std::string&,
                                        const std::string&) override {
        return m_strAnswer;
    }
    std::optional<std::string> m_strAnswer;
};

struct CSheetRig {
    CTempDir dir;
    CFakeClock clock;
    CFakeSocketFactory sockets;
    CFakeProcessRunner process;
    CSystemServices system;
    CFakeNetworkInfo network;
    CFakeMessageBox boxes;
    CFakeFiles files;
    CORXBootApp app;
    CGuiFront front;
    std::unique_ptr<ISheetWindow> pWindow;
    CModalSheet* pSheet = nullptr;  // pWindow's
    std::vector<std::unique_ptr<QProcess>> arrUnits;

    explicit CSheetRig(bool bReal = false) : app(Services(bReal)), front(app, boxes, files) {
        qputenv("ORXBOOT_COMDIR", dir.Root().c_str());
        app.AttachFront(&front);
        CORXBootConfig& cfg = app.Config();
        cfg.m_strComPort = "COM1";
        cfg.m_nComBaud = 115200;
        cfg.m_nNetType = bReal ? 0 : 1;  // fakes: no broadcast socket, requests from any unit
        cfg.m_strBootFile =
            bReal ? kSmallImage : WriteFile(dir.Path("img.bin"), MakeImageBytes(1500));
    }
    ~CSheetRig() {
        Close();
        front.DestroyTerminal();
        app.StopServers();
        app.CloseSerialPorts();
        for (auto& pUnit : arrUnits) {
            pUnit->kill();
            pUnit->waitForFinished(5000);
        }
    }
    CPlatformServices Services(bool bReal) {
        CPlatformServices s = system.Services();
        s.pNetwork = &network;
        if (bReal) return s;
        s.pSockets = &sockets;
        s.pClock = &clock;
        s.pProcess = &process;
        s.pSerialPorts = nullptr;
        return s;
    }
    CORXBootConfig& Config() { return app.Config(); }

    // The program from start-up to its end, in the rig's folder with these settings and its
    // own lock and config places.
    bool RunProgram(const std::string& strSettings) {
        qputenv("XDG_RUNTIME_DIR", dir.Root().c_str());
        qputenv("XDG_CONFIG_HOME", dir.Path("cfg").c_str());
        const QString strOldDir = QDir::currentPath();
        QDir::setCurrent(QString::fromStdString(dir.Root()));
        std::ofstream(dir.Path("orxboot.ini")) << "[PARAMS]\n" << strSettings;
        const bool bInit = app.InitInstance(front);
        app.ExitInstance();
        QDir::setCurrent(strOldDir);
        return bInit;
    }
    // The main window as start-up shows it (the sheet on the given page, or the wizard).
    CModalSheet& Open(int nStartPage = PAGE_SELECT) {
        pWindow = MakeSheetWindow(CSheetServices{app, boxes, files}, nStartPage);
        pSheet = &pWindow->Window();
        front.Attach(*pWindow);
        pSheet->show();
        QApplication::setActiveWindow(pSheet);
        (void)QTest::qWaitForWindowActive(pSheet);
        return *pSheet;
    }
    void Close() {
        if (pWindow) front.Detach();
        pSheet = nullptr;
        pWindow.reset();
    }
    template <class T>
    T* Find(const char* pszName) const {
        return pSheet->findChild<T*>(pszName);
    }
    void Click(int nButtonId) const {
        QTest::mouseClick(pSheet->Button(nButtonId), Qt::LeftButton);
    }
    QString Title() const { return pSheet->windowTitle(); }
    QString ButtonText(int nButtonId) const {
        return pSheet->Button(nButtonId)->text().remove('&');
    }
    QString LogText() const { return Find<CLogView>("log")->toPlainText(); }
    QString SlotName(int n) const {
        auto* pLabel = Find<QLabel>(QString("slotName%1").arg(n).toUtf8().constData());
        return pLabel->isVisible() ? pLabel->text() : QString();
    }
    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> arrTexts;
        for (const auto& [strText, nType] : boxes.m_shown) arrTexts.push_back(strText);
        return arrTexts;
    }
    CTerminalWnd& Terminal() { return front.Terminal(); }

    // Fakes: 127.0.0.n asks to be booted, with its name.
    void BootRequest(uint8_t nUnit, const std::string& strName) {
        Deliver(::BootRequest(strName), nUnit);
    }
    // Fakes: the unit answers every packet until its transfer is complete.
    void CompleteUnit(uint8_t nUnit) {
        for (uint16_t wBlock = 0; wBlock < 5; ++wBlock)  // three blocks, the jump, its answer
            Deliver({0, 4, uint8_t(wBlock >> 8), uint8_t(wBlock)}, nUnit);
    }
    void Deliver(const std::vector<uint8_t>& bytes, uint8_t nUnit) {
        CFakeSocket* pServer = sockets.Bound(BOOT_SERVER_PORT);
        QVERIFY(pServer && pServer->IsOpen());
        pServer->m_incoming.push_back({bytes, {0x0000007Fu | uint32_t(nUnit) << 24, 3000}});
        system.windows.SendMessage(pServer->m_hWnd, pServer->ReadNotice());
    }

    // Real: a simulated unit (orxunit serial) on a new pseudo-terminal linked as strPort,
    // once its line is there; null when it never came.
    QProcess* StartUnit(const char* pszPort, QStringList arrArgs) {
        const QString strLink = QString::fromStdString(dir.Path(pszPort));
        auto pUnit = std::make_unique<QProcess>();
        pUnit->start(
            ORX_BIN_DIR "/orxunit",
            QStringList{"serial", "--make-pty", strLink, "--image", kSmallImage} + arrArgs);
        if (!QTest::qWaitFor([&] { return QFileInfo(strLink).isSymLink(); }, 5000)) return nullptr;
        arrUnits.push_back(std::move(pUnit));
        return arrUnits.back().get();
    }
    // Whether another program could take the port now (the engine holds it exclusively).
    bool PortFree(const char* pszPort) { return system.serialPorts.Probe(pszPort); }
};
