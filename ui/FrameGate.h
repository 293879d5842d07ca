#pragma once
#include <QObject>
#include <QTimer>
#include <vector>

class QWidget;

// Holds back the painting of busy areas to one paint per frame of the screen, 30 at most a
// second. Each change on the display server costs the UI thread a paint and a hand-over, and
// a burst of units changes the rows and the log far more often than a screen can show. The first
// change after a quiet frame paints at once; the areas' further changes within the frame
// are painted together at its end. Widget state still changes at once: only the painting
// waits, by at most a frame.
class CFrameGate : public QObject {
    Q_OBJECT
public:
    CFrameGate(std::vector<QWidget*> arrAreas, QObject* pParent);
    // Call before changing what the areas show.
    void Touch();
    int FrameMs() const { return m_timer.interval(); }

private:
    void EndFrame();

    std::vector<QWidget*> m_arrAreas;
    QTimer m_timer;
    bool m_bHeld = false;
};
