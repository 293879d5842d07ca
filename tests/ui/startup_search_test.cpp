#include <atomic>

#include "tests/ui/SheetRig.h"

class StartupSearchTest : public QObject {
    Q_OBJECT
private slots:
    // Every address answers, slowly: the window shows the search before the first sheet,
    // and Cancel ends it at once with the unit address of the settings kept.
    void cancelKeepsTheSavedAddressAndOpensTheWindow() {
        CSheetRig rig;
        rig.network.m_dwAdapterResult = 0;
        ParseDottedAddress("10.1.1.5", rig.network.m_dwAdapterAddr);
        ParseDottedAddress("255.255.0.0", rig.network.m_dwAdapterMask);
        rig.network.m_bAllAnswer = true;
        // Each echo request waits until the test lets it go, as a slow network would.
        std::atomic<bool> bRelease{false};
        rig.network.m_fnOnPing = [&](size_t) {
            while (!bRelease) QThread::msleep(1);
        };
        QObject scope;  // never hang the suite, nor outlive the test
        QTimer::singleShot(20000, &scope, [&] { bRelease = true; });
        bool bDialogSeen = false;
        QTimer::singleShot(0, [&] {
            QProgressDialog* pDialog = nullptr;
            QTRY_VERIFY((pDialog = rig.front.AddressSearchDialog()) && pDialog->isVisible());
            bDialogSeen = pDialog->labelText().contains("Looking for a free unit address...");
            QTest::mouseClick(pDialog->findChild<QPushButton*>(), Qt::LeftButton);
            bRelease = true;
        });
        bool bSheetShown = false;
        rig.front.m_fnOnSheet = [&](CModalSheet& sheet) {
            bSheetShown = true;
            bRelease = true;
            QTimer::singleShot(0, &sheet, [&] { sheet.Button(IDCANCEL)->click(); });
        };
        QVERIFY(rig.RunProgram("WIZARDMODE=0\nNETIP=" + std::to_string(0x0B00000Au) +
                               "\nNETIPMASK=" + std::to_string(0x00FFFFFFu) + "\n"));
        QVERIFY(bDialogSeen);
        QVERIFY(bSheetShown);
        QVERIFY(rig.front.AddressSearchDialog() == nullptr);
        QCOMPARE(rig.app.Config().m_dwNetIp, 0x0B00000Au);
        QCOMPARE(rig.app.Config().m_dwNetIpMask, 0x00FFFFFFu);
        QVERIFY(rig.network.m_pinged.size() < 64);
    }
};

ORX_UI_TEST(StartupSearchTest)
#include "startup_search_test.moc"
