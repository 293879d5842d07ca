#pragma once
#include <QApplication>
#include <QElapsedTimer>
#include <functional>

// Runs the event loop until fnDone holds (true) or the seconds are up (false).
inline bool WaitFor(const std::function<bool()>& fnDone, int nSeconds) {
    QElapsedTimer timer;
    timer.start();
    while (!fnDone()) {
        if (timer.elapsed() > nSeconds * 1000) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}
