#pragma once
#include <QMargins>
#include <QRect>
#include <QString>
#include <map>

class QWidget;

// Where the main window and the wizard were last, per user (a small file beside the boot
// history, never the settings file): each comes back there at the next start and after a
// mode switch. Without a file (or when it cannot be written) only this run remembers.
class CWindowPlaces {
public:
    explicit CWindowPlaces(QString strPath = {});

    // Puts the window where this kind was last, wholly on screen; false when it has no
    // place yet.
    bool Restore(QWidget* pWindow, const QString& strKind) const;
    void Save(const QWidget* pWindow, const QString& strKind);
    // The file the places are kept in (empty: this run only).
    const QString& Path() const { return m_strPath; }

private:
    // The window's own rectangle (the one it returns to when maximised), the window
    // manager's border around it, and whether it is maximised.
    struct CPlace {
        QRect rect;
        QMargins border;
        bool bMaximized = false;
    };
    const QString m_strPath;
    std::map<QString, CPlace> m_mapPlaces;
};

// The border the window manager draws around a shown window.
QMargins FrameBorder(const QWidget* pWindow);
// Moves (and if need be shrinks) a top-level window so that it lies wholly within the
// available area of its screen, border included; a window not yet shown has no border
// yet, so the caller says what it will be.
void KeepOnScreen(QWidget* pWindow, QMargins border);
