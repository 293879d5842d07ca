#include "ui/WaitCursor.h"

#include <QApplication>
#include <QCursor>

void SetWaitCursor(bool bOn) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return;
    if (bOn) {
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    } else if (QApplication::overrideCursor()) {
        QApplication::restoreOverrideCursor();
    }
}
