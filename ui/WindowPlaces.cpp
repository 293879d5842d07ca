#include "ui/WindowPlaces.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>
#include <algorithm>

CWindowPlaces::CWindowPlaces(QString strPath) : m_strPath(std::move(strPath)) {
    if (m_strPath.isEmpty()) return;
    QSettings file(m_strPath, QSettings::IniFormat);
    for (const QString& strKind : file.childGroups()) {
        file.beginGroup(strKind);
        const QRect rect = file.value("geometry").toRect();
        const QRect rectFrame = file.value("frame").toRect();
        if (rect.isValid() && rectFrame.contains(rect)) {
            m_mapPlaces[strKind] = {
                rect,
                {rect.left() - rectFrame.left(), rect.top() - rectFrame.top(),
                 rectFrame.right() - rect.right(), rectFrame.bottom() - rect.bottom()},
                file.value("maximized").toBool()};
        }
        file.endGroup();
    }
}

// The window's own rectangle, not its frame, and not restoreGeometry: before a window is
// shown its frame is unknown, and on X11 it then comes back a border's width away.
bool CWindowPlaces::Restore(QWidget* pWindow, const QString& strKind) const {
    const auto it = m_mapPlaces.find(strKind);
    if (it == m_mapPlaces.end()) return false;
    pWindow->setGeometry(it->second.rect);
    KeepOnScreen(pWindow, it->second.border);  // the screen may have shrunk or gone since
    if (it->second.bMaximized) pWindow->setWindowState(Qt::WindowMaximized);
    return true;
}

void CWindowPlaces::Save(const QWidget* pWindow, const QString& strKind) {
    CPlace& place = m_mapPlaces[strKind];
    place.bMaximized = pWindow->isMaximized();
    place.rect = place.bMaximized ? pWindow->normalGeometry() : pWindow->geometry();
    place.border = FrameBorder(pWindow);
    if (m_strPath.isEmpty()) return;
    QDir().mkpath(QFileInfo(m_strPath).absolutePath());
    QSettings file(m_strPath, QSettings::IniFormat);
    file.beginGroup(strKind);
    file.setValue("geometry", place.rect);
    file.setValue("frame", place.rect.marginsAdded(place.border));
    file.setValue("maximized", place.bMaximized);
    file.endGroup();
    file.sync();  // a failure leaves this run's memory; nothing to tell the user
}

QMargins FrameBorder(const QWidget* pWindow) {
    const QRect rect = pWindow->geometry();
    const QRect rectFrame = pWindow->frameGeometry();
    return {rect.left() - rectFrame.left(), rect.top() - rectFrame.top(),
            rectFrame.right() - rect.right(), rectFrame.bottom() - rect.bottom()};
}

// Window managers differ on whether the place Qt asks for and reports is the window's or
// its frame's; allowing for both keeps the frame on screen either way, at the cost of a
// border's width at the right and bottom edges.
void KeepOnScreen(QWidget* pWindow, QMargins border) {
    if (pWindow->isVisible()) border = FrameBorder(pWindow);
    const QScreen* pScreen = QGuiApplication::screenAt(pWindow->geometry().center());
    if (!pScreen) pScreen = QGuiApplication::primaryScreen();
    if (!pScreen) return;
    const QRect rectScreen = pScreen->availableGeometry();
    const int nWide = border.left() + border.right(), nHigh = border.top() + border.bottom();
    QRect rect = pWindow->geometry();
    rect.setSize(rect.size().boundedTo(rectScreen.size() -
                                       QSize(border.left() + nWide, border.top() + nHigh)));
    // Right and bottom first: a window too large for the screen keeps its top left on it.
    rect.moveRight(std::min(rect.right(), rectScreen.right() - nWide));
    rect.moveBottom(std::min(rect.bottom(), rectScreen.bottom() - nHigh));
    rect.moveLeft(std::max(rect.left(), rectScreen.left() + border.left()));
    rect.moveTop(std::max(rect.top(), rectScreen.top() + border.top()));
    pWindow->setGeometry(rect);
}
