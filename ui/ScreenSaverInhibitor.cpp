#include "ui/ScreenSaverInhibitor.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {
const char kService[] = "org.freedesktop.ScreenSaver";
const char kPath[] = "/org/freedesktop/ScreenSaver";
const char kInterface[] = "org.freedesktop.ScreenSaver";
}  // namespace

CScreenSaverInhibitor::CScreenSaverInhibitor(QDBusConnection bus) : m_bus(std::move(bus)) {}

CScreenSaverInhibitor::~CScreenSaverInhibitor() {
    Release();
}

void CScreenSaverInhibitor::SetInhibited(bool bInhibited) {
    m_bWanted = bInhibited;
    if (!bInhibited) {
        Release();
        return;
    }
    if (m_nCookie || m_bPending || !m_bus.isConnected()) return;
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, "Inhibit");
    call << QStringLiteral("orxboot") << QStringLiteral("A unit is downloading over a serial line");
    auto* pWatcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    m_bPending = true;
    connect(pWatcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* pCall) {
                pCall->deleteLater();
                m_bPending = false;
                const QDBusPendingReply<uint> reply = *pCall;
                if (reply.isError()) return;
                m_nCookie = reply.value();
                // The download may have ended while the answer was on its way.
                if (!m_bWanted) Release();
            });
}

void CScreenSaverInhibitor::Release() {
    if (!m_nCookie) return;
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, "UnInhibit");
    call << *m_nCookie;
    m_bus.send(call);
    m_nCookie.reset();
}
