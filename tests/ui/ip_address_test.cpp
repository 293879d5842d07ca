// The address fields: what can never be taken for an address, a click, a paste. Typing
// through the X server: tests/display/sheet.sh.
#include <QClipboard>
#include <QLineEdit>
#include <QSignalSpy>

#include "tests/ui/UiTest.h"
#include "ui/IpAddressCtrl.h"

namespace {
const struct {
    const char *pszRow, *pszKeys, *pszAddress;  // '<' is Backspace
    int nBadField;
} kTypingRows[] = {
    {"an emptied part", "10.0.<", "invalid", 2},
    {"a part above 255", "10.0.300.7", "invalid", 2},
    {"letters are not taken", "1a0.0.0.7", "10.0.0.7", -1},
    {"a dot shifted after a third digit", "192^.168^.1^.20", "192.168.1.20", -1},
};
}  // namespace

class IpAddressTest : public QObject {
    Q_OBJECT
    CIpAddressCtrl* m_pCtrl = nullptr;
private slots:
    void init() {
        m_pCtrl = new CIpAddressCtrl;
        m_pCtrl->show();
        m_pCtrl->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_pCtrl));
    }
    void cleanup() { delete m_pCtrl; }

    // Keys typed into the first field over the 0.0.0.0 a page shows, as a user types them.
    void typing_data() { AddRows(kTypingRows); }
    void typing() {
        QFETCH(int, row);
        const auto& r = kTypingRows[row];
        m_pCtrl->SetAddress(0);
        QSignalSpy changed(m_pCtrl, &CIpAddressCtrl::FieldChanged);
        m_pCtrl->FocusField(0);
        TypeKeys(r.pszKeys);
        QCOMPARE(Dotted(m_pCtrl->Address()), QString(r.pszAddress));
        QCOMPARE(m_pCtrl->FirstBadField(), r.nBadField);
        QVERIFY(!changed.isEmpty());
    }

    // A part clicked into is selected, so that what is typed replaces it.
    void clickSelectsThePart() {
        m_pCtrl->SetAddress(Addr("10.0.0.7"));
        QTest::mouseClick(m_pCtrl->Field(2), Qt::LeftButton);
        TypeKeys("9");
        QCOMPARE(Dotted(m_pCtrl->Address()), QString("10.0.9.7"));
    }

    // Setting an address (as a page loads one) is no change; pasting one anywhere is.
    void pastingADottedAddressAnywhereFillsAllFour() {
        QSignalSpy changed(m_pCtrl, &CIpAddressCtrl::FieldChanged);
        m_pCtrl->SetAddress(Addr("255.255.255.0"));
        QCOMPARE(Dotted(m_pCtrl->Address()), QString("255.255.255.0"));
        QVERIFY(changed.isEmpty());
        QGuiApplication::clipboard()->setText(" 172.16.5.20\n");
        m_pCtrl->FocusField(2);
        QTest::keySequence(QApplication::focusWidget(), QKeySequence::Paste);
        QCOMPARE(Dotted(m_pCtrl->Address()), QString("172.16.5.20"));
        QVERIFY(!changed.isEmpty());
    }
};

ORX_UI_TEST(IpAddressTest)
#include "ip_address_test.moc"
