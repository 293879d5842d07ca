#include <QDBusConnection>
#include <QProcess>
#include <QStandardPaths>

#include "tests/ui/UiTest.h"
#include "ui/ScreenSaverInhibitor.h"

namespace {

// The desktop's screen saver service, as far as the inhibitor sees it.
class CFakeScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    QSet<uint> m_setHeld;
    uint m_nNext = 1;
public slots:
    uint Inhibit(const QString&, const QString&) {
        m_setHeld.insert(m_nNext);
        return m_nNext++;
    }
    void UnInhibit(uint nCookie) { m_setHeld.remove(nCookie); }
};

}  // namespace

class ScreenSaverTest : public QObject {
    Q_OBJECT
private slots:
    void heldWhileWantedAndReleasedAfter() {
        const QString strDaemon = QStandardPaths::findExecutable("dbus-daemon");
        if (strDaemon.isEmpty()) QSKIP("dbus-daemon is not installed");
        QProcess daemon;
        daemon.start(strDaemon, {"--session", "--nofork", "--print-address"});
        QVERIFY(daemon.waitForReadyRead(10000));
        const QString strAddress = QString::fromUtf8(daemon.readLine()).trimmed();
        {
            QDBusConnection service = QDBusConnection::connectToBus(strAddress, "service");
            QDBusConnection client = QDBusConnection::connectToBus(strAddress, "client");
            QVERIFY(service.isConnected() && client.isConnected());
            CFakeScreenSaver saver;
            QVERIFY(service.registerService("org.freedesktop.ScreenSaver"));
            QVERIFY(service.registerObject("/org/freedesktop/ScreenSaver", &saver,
                                           QDBusConnection::ExportAllSlots));
            {
                CScreenSaverInhibitor inhibitor(client);
                inhibitor.SetInhibited(true);
                inhibitor.SetInhibited(true);  // held once, however often it is asked
                QTRY_COMPARE(saver.m_setHeld.size(), 1);
                inhibitor.SetInhibited(false);
                QTRY_COMPARE(saver.m_setHeld.size(), 0);
                // Released even when the download ends before the answer came back.
                inhibitor.SetInhibited(true);
                inhibitor.SetInhibited(false);
                QTRY_COMPARE(saver.m_nNext, 3u);
                QTRY_COMPARE(saver.m_setHeld.size(), 0);
                inhibitor.SetInhibited(true);
                QTRY_COMPARE(saver.m_setHeld.size(), 1);
            }
            // The window going away releases it too,
            QTRY_COMPARE(saver.m_setHeld.size(), 0);
            // even before the answer to its request has come back.
            { CScreenSaverInhibitor(client).SetInhibited(true); }
            QTRY_COMPARE(saver.m_nNext, 5u);
            QTRY_COMPARE(saver.m_setHeld.size(), 0);
        }
        QDBusConnection::disconnectFromBus("service");
        QDBusConnection::disconnectFromBus("client");
        daemon.kill();
        daemon.waitForFinished();

        // No bus at all: nothing to do, and nothing breaks.
        CScreenSaverInhibitor noBus(QDBusConnection("none"));
        noBus.SetInhibited(true);
        noBus.SetInhibited(false);
    }
};

ORX_UI_TEST(ScreenSaverTest)
#include "screen_saver_test.moc"
