#include "ui/ScreenSaverInhibitor.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {
const char kService[] = "org.freedesktop.ScreenSaver";
const char kPath[] = "/org/freedesktop/ScreenSaver";
const char kInterface[] = "org.freedesktop.ScreenSaver";

void SendUnInhibit(QDBusConnection& bus, uint nCookie) {
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, "UnInhibit");
    call << nCookie;
    bus.send(call);
}
}  // namespace

CScreenSaverInhibitor::CScreenSaverInhibitor(QDBusConnection bus) : m_bus(std::move(bus)) {}

CScreenSaverInhibitor::~CScreenSaverInhibitor() {
    Release();
    if (!m_pPending) return;
    // The answer to Inhibit is still on its way: let it release itself when it comes,
    // or the screen saver stays held after the window has gone.
    m_pPending->setParent(nullptr);
    m_pPending->disconnect(this);
    QDBusConnection bus = m_bus;
    QObject::connect(m_pPending, &QDBusPendingCallWatcher::finished, m_pPending,
                     [bus](QDBusPendingCallWatcher* pCall) mutable {
                         pCall->deleteLater();
                         const QDBusPendingReply<uint> reply = *pCall;
                         if (!reply.isError()) SendUnInhibit(bus, reply.value());
                     });
}

void CScreenSaverInhibitor::SetInhibited(bool bInhibited) {
    m_bWanted = bInhibited;
    if (!bInhibited) {
        Release();
        return;
    }
    if (m_nCookie || m_pPending || !m_bus.isConnected()) return;
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, "Inhibit");
    call << QStringLiteral("orxboot") << QStringLiteral("A unit is downloading over a serial line");
    m_pPending = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(m_pPending, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* pCall) {
                pCall->deleteLater();
                m_pPending = nullptr;
                const QDBusPendingReply<uint> reply = *pCall;
                if (reply.isError()) return;
                m_nCookie = reply.value();
                // The download may have ended while the answer was on its way.
                if (!m_bWanted) Release();
            });
}

void CScreenSaverInhibitor::Release() {
    if (!m_nCookie) return;
    SendUnInhibit(m_bus, *m_nCookie);
    m_nCookie.reset();
}
