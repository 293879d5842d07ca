// The address fields: typing, pasting and what can never be taken for an address.
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "platform/Socket.h"
#include "tests/ui/UiTest.h"
#include "ui/IpAddressCtrl.h"

namespace {
// Each key to whichever field has the focus then, as a keyboard does; '<' is Backspace.
void Type(const QString& strKeys) {
    for (QChar ch : strKeys) {
        if (ch == '<') {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
        } else {
            QTest::keyClick(QApplication::focusWidget(), ch.toLatin1());
        }
    }
}

bool ShowActive(QWidget& widget) {
    widget.show();
    widget.activateWindow();
    return QTest::qWaitForWindowActive(&widget);
}

QString Shown(const CIpAddressCtrl& ctrl) {
    const std::optional<uint32_t> dw = ctrl.Address();
    return dw ? QString::fromStdString(DottedAddress(*dw)) : QString("invalid");
}
}  // namespace

class IpAddressTest : public QObject {
    Q_OBJECT
private slots:
    // Keys typed into the first field, as a user types them.
    void typing_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("badField");
        QTest::newRow("dots move on") << "192.168.1.10"
                                      << "192.168.1.10" << -1;
        QTest::newRow("a third digit moves on") << "192168001010"
                                                << "192.168.1.10" << -1;
        QTest::newRow("spaces move on") << "10 0 0 7"
                                        << "10.0.0.7" << -1;
        QTest::newRow("an empty part") << "10.0..7"
                                       << "invalid" << 3;
        QTest::newRow("a part above 255") << "10.0.300.7"
                                          << "invalid" << 2;
        QTest::newRow("letters are not taken") << "1a0.0.0.7"
                                               << "10.0.0.7" << -1;
        QTest::newRow("backspace crosses the dot") << "10.12.<<0.0.7"
                                                   << "10.10.0.7" << -1;
    }
    void typing() {
        QFETCH(QString, keys);
        QFETCH(QString, address);
        QFETCH(int, badField);
        CIpAddressCtrl ctrl;
        QVERIFY(ShowActive(ctrl));
        QSignalSpy changed(&ctrl, &CIpAddressCtrl::FieldChanged);
        ctrl.FocusField(0);
        Type(keys);
        QCOMPARE(Shown(ctrl), address);
        QCOMPARE(ctrl.FirstBadField(), badField);
        QVERIFY(!changed.isEmpty());
    }

    // Setting an address (as a page loads one) is no change; pasting one anywhere is.
    void pastingADottedAddressAnywhereFillsAllFour() {
        CIpAddressCtrl ctrl;
        QVERIFY(ShowActive(ctrl));
        QSignalSpy changed(&ctrl, &CIpAddressCtrl::FieldChanged);
        uint32_t dw = 0;
        ParseDottedAddress("255.255.255.0", dw);
        ctrl.SetAddress(dw);
        QCOMPARE(Shown(ctrl), QString("255.255.255.0"));
        QVERIFY(changed.isEmpty());
        QGuiApplication::clipboard()->setText(" 172.16.5.20\n");
        ctrl.FocusField(2);
        QTest::keySequence(QApplication::focusWidget(), QKeySequence::Paste);
        QCOMPARE(Shown(ctrl), QString("172.16.5.20"));
        QVERIFY(!changed.isEmpty());
    }
};

ORX_UI_TEST(IpAddressTest)
#include "ip_address_test.moc"
