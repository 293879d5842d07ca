#pragma once
#include <QDBusConnection>
#include <QObject>
#include <optional>

class QDBusPendingCallWatcher;

// Holds the desktop's screen saver off through the freedesktop ScreenSaver service on
// the session bus. Calls never wait on the UI thread; without a session bus, or without
// the service, nothing happens.
class CScreenSaverInhibitor : public QObject {
    Q_OBJECT
public:
    explicit CScreenSaverInhibitor(QDBusConnection bus = QDBusConnection::sessionBus());
    ~CScreenSaverInhibitor() override;

    void SetInhibited(bool bInhibited);
    bool IsInhibited() const { return m_bWanted; }

private:
    void Release();

    QDBusConnection m_bus;
    bool m_bWanted = false;
    QDBusPendingCallWatcher* m_pPending = nullptr;
    std::optional<uint> m_nCookie;
};
