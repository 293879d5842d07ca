// The Ethernet and Serial pages over the real engine; echo requests go to a fake network.
#include <future>

#include "tests/ui/SheetRig.h"
#include "ui/IpAddressCtrl.h"

namespace {
// Both methods chosen, a fixed address 10.0.0.5/24 saved; the Ethernet page shown.
CModalSheet& OpenNetPage(CSheetRig& rig) {
    CORXBootConfig& cfg = rig.Config();
    cfg.m_nBootNet = 1;
    cfg.m_nBootSerial = 1;
    cfg.m_bNetDhcp = false;
    cfg.m_dwNetIp = Addr("10.0.0.5");
    cfg.m_dwNetIpMask = Addr("255.255.255.0");
    cfg.m_strNetNode = "ORXHV7410";
    return rig.Open(PAGE_ETHERNET);
}

// The user empties the fixed address field and types into it, part by part.
void TypeAddress(CSheetRig& rig, const QString& strAddr) {
    auto* pCtrl = rig.Find<CIpAddressCtrl>("ipAddress");
    for (int i = 0; i < 4; ++i) pCtrl->Field(i)->clear();
    pCtrl->FocusField(0);
    TypeKeys(strAddr);
}

// Apply with an address typed; pszAnswering is "all" or the one address that answers.
const struct {
    const char *pszRow, *pszTyped, *pszAnswering, *pszNetIp, *pszMessage, *pszField;
    bool bDhcp = false;
} kFixedRows[] = {
    {"free", "10.0.0.9", "", "10.0.0.9", "", "10.0.0.9"},
    {"taken, the next free", "10.0.0.9", "10.0.0.9", "10.0.0.10",
     "The ip was in use. Using free ip 10.0.0.10 instead.", "10.0.0.10"},
    // 64 tries after .9 reach .73; the field keeps what the user typed.
    {"none free", "10.0.0.9", "all", "10.0.0.73",
     "The ip 10.0.0.73 seems to be in use!? Cannot locate free ip!", "10.0.0.9"},
    {"DHCP sends no echo request and keeps the address", "10.0.0.9", "all", "10.0.0.5", "",
     "10.0.0.9", true},
};
}  // namespace

class SettingsPagesTest : public QObject {
    Q_OBJECT
private slots:
    void applyTestsTheFixedAddress_data() { AddRows(kFixedRows); }
    void applyTestsTheFixedAddress() {
        QFETCH(int, row);
        const auto& r = kFixedRows[row];
        CSheetRig rig(true);
        rig.network.m_bAllAnswer = r.pszAnswering == std::string("all");
        if (*r.pszAnswering) rig.network.m_answering.insert(Addr(r.pszAnswering));
        OpenNetPage(rig);
        TypeAddress(rig, r.pszTyped);
        if (r.bDhcp) ClickCheck(rig.Find<QRadioButton>("radioDhcp"));
        QCOMPARE(rig.Find<CIpAddressCtrl>("ipAddress")->isEnabled(), !r.bDhcp);
        rig.Click(ID_APPLY_NOW);
        QCOMPARE(rig.Config().m_bNetDhcp, r.bDhcp);
        if (r.bDhcp) QVERIFY(rig.network.m_pinged.empty());
        QCOMPARE(Dotted(rig.Config().m_dwNetIp), QString(r.pszNetIp));
        QCOMPARE(Dotted(rig.Config().m_dwNetIpMask), QString("255.255.255.0"));
        QCOMPARE(rig.BoxTexts(), *r.pszMessage ? std::vector<std::string>{r.pszMessage}
                                               : std::vector<std::string>{});
        QCOMPARE(Dotted(rig.Find<CIpAddressCtrl>("ipAddress")->Address()), QString(r.pszField));
    }

    void cancelDuringTheSearchKeepsTheUsersAddressAndAppliesTheRest() {
        CSheetRig rig(true);
        rig.network.m_answering.insert(Addr("10.0.0.9"));
        // Each echo request waits (as a real one waits up to a second) until the test ends.
        std::promise<void> held;
        rig.network.m_fnOnPing = [released = held.get_future().share()](size_t) {
            released.wait();
        };
        CModalSheet& sheet = OpenNetPage(rig);
        TypeAddress(rig, "10.0.0.9");
        ClickCheck(rig.Find<QRadioButton>("radioOneUnit"));
        QTimer::singleShot(0, [&] {
            QProgressDialog* pDialog = nullptr;
            QTRY_VERIFY((pDialog = sheet.findChild<QProgressDialog*>("addressSearch")) &&
                        pDialog->isVisible());
            QTRY_VERIFY(pDialog->labelText().endsWith("\n10.0.0.9"));
            QVERIFY(pDialog->labelText().startsWith("Looking for a free unit address..."));
            QTest::mouseClick(pDialog->findChild<QPushButton*>(), Qt::LeftButton);
        });
        rig.Click(ID_APPLY_NOW);
        QCOMPARE(Dotted(rig.Config().m_dwNetIp), QString("10.0.0.9"));
        QCOMPARE(rig.Config().m_nNetType, 1);
        QVERIFY(rig.boxes.m_shown.empty());
        QVERIFY(!sheet.Button(ID_APPLY_NOW)->isEnabled());
    }

    // The Ethernet and Serial pages follow the Select page's checks as last clicked, not as saved.
    void pagesFollowTheMethodsAsClicked() {
        CSheetRig rig(true);
        CModalSheet& sheet = OpenNetPage(rig);
        auto enabled = [&](int nPage, const char* pszName) {
            sheet.SetActivePage(nPage);
            return rig.Find<QWidget>(pszName)->isEnabled();
        };
        auto click = [&](const char* pszName) {
            sheet.SetActivePage(PAGE_SELECT);
            ClickCheck(rig.Find<QCheckBox>(pszName));
        };
        QVERIFY(enabled(PAGE_ETHERNET, "radioAllUnits") && enabled(PAGE_ETHERNET, "radioDhcp"));
        click("checkSerial");
        QVERIFY(enabled(PAGE_ETHERNET, "radioAllUnits"));
        QVERIFY(!enabled(PAGE_ETHERNET, "radioDhcp") && !enabled(PAGE_ETHERNET, "ipMask"));
        QVERIFY(!enabled(PAGE_SERIAL, "checkAllPorts") && !enabled(PAGE_SERIAL, "comboProtocol"));
        QVERIFY(enabled(PAGE_SERIAL, "comboPort"));
        click("checkEthernet");
        click("checkSerial");
        QVERIFY(!enabled(PAGE_ETHERNET, "radioAllUnits"));
        QVERIFY(enabled(PAGE_SERIAL, "checkAllPorts") && enabled(PAGE_SERIAL, "comboProtocol"));
        QCOMPARE(rig.Config().m_nBootNet.load(), 1);
    }

    void newUnitNamesGoToTheFrontOfTheHistory() {
        CSheetRig rig(true);
        rig.Config().m_arrNetNodes = {"HV7-0042"};
        rig.Config().m_nBootNet = 1;
        rig.Config().m_nNetType = 1;
        rig.Config().m_bNetDhcp = true;
        rig.Open(PAGE_ETHERNET);
        auto* pName = rig.Find<QComboBox>("comboUnitName");
        for (const char* psz : {"hv7-00", "HV6-0007"}) {
            pName->setFocus();
            pName->lineEdit()->selectAll();
            QTest::keyClicks(pName->lineEdit(), psz);
            rig.Click(ID_APPLY_NOW);
            QCOMPARE(QString::fromStdString(rig.Config().m_strNetNode), QString(psz));
        }
        QCOMPARE(rig.Config().m_arrNetNodes, (std::vector<std::string>{"HV6-0007", "HV7-0042"}));
        QCOMPARE(pName->itemText(0), QString("HV6-0007"));
    }

    void portNotFoundIsKeptAndARateNotListedStoresZero() {
        CSheetRig rig(true);
        QVERIFY(rig.StartUnit("COM2", {"--timeout", "20000"}));
        QVERIFY(rig.StartUnit("COM1", {"--timeout", "20000"}));
        rig.Config().m_strComPort = "COM7";
        rig.Config().m_nComBaud = 4800;
        rig.Open(PAGE_SERIAL);
        auto* pPort = rig.Find<QComboBox>("comboPort");
        QCOMPARE(pPort->count(), 2);
        QCOMPARE(pPort->itemText(0), QString("COM1"));
        QCOMPARE(pPort->itemText(1), QString("COM2"));
        QCOMPARE(pPort->currentText(), QString("COM7"));
        QCOMPARE(rig.Find<QComboBox>("comboBaud")->currentIndex(), -1);
        ClickCheck(rig.Find<QCheckBox>("checkAutoMenu"));
        rig.Click(ID_APPLY_NOW);
        QCOMPARE(rig.Config().m_strComPort, std::string("COM7"));
        QCOMPARE(rig.Config().m_nComBaud, 0);
    }
};

ORX_UI_TEST(SettingsPagesTest)
#include "settings_pages_test.moc"
