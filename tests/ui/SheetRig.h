#pragma once
// A main sheet over the real engine, with fake sockets, clock and processes, so the
// tests can make units ask and answer without a network.
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <cstring>
#include <memory>

#include "app/ORXBootApp.h"
#include "platform/WindowSystem.h"
#include "tests/Fakes.h"
#include "tests/TestImage.h"
#include "ui/FileDialog.h"
#include "ui/GuiFront.h"
#include "ui/LogView.h"
#include "ui/MainSheet.h"
#include "ui/PropTransfer.h"

class CFakeFiles : public IFileDialog {
public:
    std::optional<std::string> OpenBootFile(QWidget*, const std::string& strInitial) override {
        m_strInitial = strInitial;
        return m_strAnswer;
    }
    std::optional<std::string> m_strAnswer;
    std::string m_strInitial;
};

struct CSheetRig {
    CTempDir dir;
    CFakeClock clock;
    CFakeSocketFactory sockets;
    CFakeProcessRunner process;
    CFakeMessageBox boxes;
    CFakeFiles files;
    CFakeNetworkInfo network;
    CWindowSystem windows;
    CORXBootApp app;
    CGuiFront front;
    std::unique_ptr<CMainSheet> pSheet;

    CSheetRig() : app(Services()), front(app, boxes, files) {
        app.Config().m_nNetType = 1;  // no broadcast socket: requests from any unit
        app.Config().m_strBootFile = WriteFile(dir.Path("img.bin"), MakeImageBytes(1500));
    }
    ~CSheetRig() {
        if (pSheet) front.Detach();
        pSheet.reset();
        app.StopServers();
    }
    CPlatformServices Services() {
        CPlatformServices s;
        s.pPoster = &windows;
        s.pTimers = &windows;
        s.pSockets = &sockets;
        s.pClock = &clock;
        s.pProcess = &process;
        s.pMessageBox = &boxes;
        s.pNetwork = &network;
        return s;
    }
    CMainSheet& Open(int nStartPage = PAGE_SELECT) {
        pSheet = std::make_unique<CMainSheet>(CMainSheet::CServices{app, boxes, files, nullptr},
                                              nStartPage);
        front.Attach(*pSheet);
        pSheet->show();
        QApplication::setActiveWindow(pSheet.get());
        (void)QTest::qWaitForWindowActive(pSheet.get());
        return *pSheet;
    }
    template <class T>
    T* Find(const char* pszName) const {
        return pSheet->findChild<T*>(pszName);
    }
    void Click(int nButtonId) const {
        QTest::mouseClick(pSheet->Button(nButtonId), Qt::LeftButton);
    }
    QString ButtonText(int nButtonId) const {
        return pSheet->Button(nButtonId)->text().remove('&');
    }
    QString LogText() const { return Find<CLogView>("log")->toPlainText(); }
    QString SlotName(int n) const {
        auto* pLabel = Find<QLabel>(QString("slotName%1").arg(n).toUtf8().constData());
        return pLabel->isVisible() ? pLabel->text() : QString();
    }

    // 127.0.0.n asks to be booted, with its name.
    void BootRequest(uint8_t nUnit, const std::string& strName) {
        std::vector<uint8_t> req(64, 0);
        std::memcpy(req.data(), "EDBG", 4);
        const uint8_t kPrefix[3] = {0x02, 0x4F, 0x52};
        std::memcpy(req.data() + 10, kPrefix, 3);
        std::memcpy(req.data() + 37, strName.data(), std::min<size_t>(strName.size(), 16));
        Deliver(req, nUnit);
    }
    // The unit answers every packet until its transfer is complete.
    void CompleteUnit(uint8_t nUnit) {
        for (uint16_t wBlock = 0; wBlock < 5; ++wBlock)  // three blocks, the jump, its answer
            Deliver({0, 4, uint8_t(wBlock >> 8), uint8_t(wBlock)}, nUnit);
    }
    void Deliver(const std::vector<uint8_t>& bytes, uint8_t nUnit) {
        CFakeSocket* pServer = sockets.Bound(BOOT_SERVER_PORT);
        QVERIFY(pServer && pServer->IsOpen());
        pServer->m_incoming.push_back({bytes, {0x0000007Fu | uint32_t(nUnit) << 24, 3000}});
        windows.SendMessage(pServer->m_hWnd, pServer->ReadNotice());
    }
};
