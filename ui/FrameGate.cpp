#include "ui/FrameGate.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>

CFrameGate::CFrameGate(std::vector<QWidget*> arrAreas, QObject* pParent)
    : QObject(pParent), m_arrAreas(std::move(arrAreas)) {
    double dRate = 60;
    if (const QScreen* pScreen = QGuiApplication::primaryScreen())
        dRate = pScreen->refreshRate() > 0 ? pScreen->refreshRate() : dRate;
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    // Thirty paints a second read as smooth progress; each one more costs the boot measurably.
    m_timer.setInterval(std::max(33, static_cast<int>(std::lround(1000.0 / dRate))));
    connect(&m_timer, &QTimer::timeout, this, &CFrameGate::EndFrame);
}

void CFrameGate::Touch() {
    if (!m_timer.isActive()) {
        m_timer.start();  // painted as it comes; what follows within the frame waits
        return;
    }
    if (m_bHeld) return;
    m_bHeld = true;
    for (QWidget* pArea : m_arrAreas) pArea->setUpdatesEnabled(false);
}

void CFrameGate::EndFrame() {
    if (!m_bHeld) return;
    m_bHeld = false;
    // Enabling repaints each area whole, once; the next frame holds back again.
    for (QWidget* pArea : m_arrAreas) pArea->setUpdatesEnabled(true);
    m_timer.start();
}
