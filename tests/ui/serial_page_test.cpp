// The Serial page and the terminal's place in the window's life, over units on
// pseudo-terminals.

#include "tests/ui/SheetRig.h"

namespace {
constexpr int kPageSerial = 2;
}  // namespace

class SerialPageTest : public QObject {
    Q_OBJECT
private slots:
    void portNotFoundIsKeptAndARateNotListedStoresZero() {
        CSheetRig rig(true);
        QVERIFY(rig.StartUnit("COM2", {"--timeout", "20000"}));
        QVERIFY(rig.StartUnit("COM1", {"--timeout", "20000"}));
        rig.Config().m_strComPort = "COM7";
        rig.Config().m_nComBaud = 4800;
        CMainSheet& sheet = rig.Open(kPageSerial);
        auto* pPort = rig.Find<QComboBox>("comboPort");
        QCOMPARE(pPort->count(), 2);
        QCOMPARE(pPort->itemText(0), QString("COM1"));
        QCOMPARE(pPort->itemText(1), QString("COM2"));
        QCOMPARE(pPort->currentText(), QString("COM7"));
        QCOMPARE(rig.Find<QComboBox>("comboBaud")->currentIndex(), -1);
        ClickCheck(rig.Find<QCheckBox>("checkAutoMenu"));
        QTest::mouseClick(sheet.Button(ID_APPLY_NOW), Qt::LeftButton);
        QCOMPARE(rig.Config().m_strComPort, std::string("COM7"));
        QCOMPARE(rig.Config().m_nComBaud, 0);
    }

    // All ports and the protocol follow the Select page's serial check as last clicked.
    void serialChoiceAsClickedEnablesAllPortsAndProtocol() {
        CSheetRig rig(true);
        rig.Config().m_nBootSerial = 1;
        CMainSheet& sheet = rig.Open(0);
        ClickCheck(rig.Find<QCheckBox>("checkSerial"));
        sheet.SetActivePage(kPageSerial);
        QVERIFY(!rig.Find<QCheckBox>("checkAllPorts")->isEnabled());
        QVERIFY(!rig.Find<QComboBox>("comboProtocol")->isEnabled());
        for (const char* psz : {"comboPort", "comboBaud", "checkAutoMenu", "buttonTerminal"})
            QVERIFY2(rig.Find<QWidget>(psz)->isEnabled(), psz);
        sheet.SetActivePage(0);
        ClickCheck(rig.Find<QCheckBox>("checkSerial"));
        sheet.SetActivePage(kPageSerial);
        QVERIFY(rig.Find<QCheckBox>("checkAllPorts")->isEnabled());
        QVERIFY(rig.Find<QComboBox>("comboProtocol")->isEnabled());
    }

    void terminalButtonAppliesTheSerialSettingsAtOnce() {
        CSheetRig rig(true);
        QVERIFY(rig.StartUnit("COM2", {"--timeout", "20000"}));
        rig.Config().m_nComBaud = 115200;
        CMainSheet& sheet = rig.Open(kPageSerial);
        auto* pPort = rig.Find<QComboBox>("comboPort");
        pPort->lineEdit()->selectAll();
        QTest::keyClicks(pPort->lineEdit(), "COM2");
        rig.Find<QComboBox>("comboBaud")->setCurrentIndex(2);  // 19200
        QTest::mouseClick(rig.Find<QPushButton>("buttonTerminal"), Qt::LeftButton);
        QVERIFY(rig.Terminal().Exists());
        QCOMPARE(rig.Terminal().Window()->windowTitle(), QString("Serial Port Terminal - COM2"));
        QTest::mouseClick(sheet.Button(IDCANCEL), Qt::LeftButton);
        QCOMPARE(rig.Config().m_strComPort, std::string("COM2"));
        QCOMPARE(rig.Config().m_nComBaud, 19200);
    }

    // The program ends with the terminal open; the next start shows it again.
    void terminalOpenAtExitReopensAtTheNextStart() {
        CSheetRig rig(true);
        QVERIFY(rig.StartUnit("COM1", {"--timeout", "20000"}));
        rig.Config().m_bTerminal = true;
        rig.Open(kPageSerial);
        QVERIFY(rig.Terminal().Exists());
        rig.Close();
        rig.app.ExitInstance();
        QVERIFY(!rig.Terminal().Exists());
        QVERIFY(rig.PortFree("COM1"));
        QVERIFY(rig.Config().m_bTerminal);
        rig.Open(0);
        QVERIFY(rig.Terminal().Exists());
        QVERIFY(!rig.PortFree("COM1"));
    }
};

ORX_UI_TEST(SerialPageTest)
#include "serial_page_test.moc"
