#include "ui/QtMessageBox.h"

#include <QApplication>
#include <QMessageBox>

int CQtMessageBox::Show(const std::string& strText, unsigned nType) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(QStringLiteral("ORXBoot"));
    box.setText(QString::fromUtf8(strText.c_str()));
    switch (nType & 0xF0) {
        case MB_ICONSTOP:
            box.setIcon(QMessageBox::Critical);
            break;
        case MB_ICONQUESTION:
            box.setIcon(QMessageBox::Question);
            break;
        case MB_ICONEXCLAMATION:
            box.setIcon(QMessageBox::Warning);
            break;
        case MB_ICONINFORMATION:
            box.setIcon(QMessageBox::Information);
            break;
        default:
            box.setIcon(QMessageBox::NoIcon);
            break;
    }
    if ((nType & 0xF) == MB_YESNO) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        // Escape (or the close box) answers No, as the question's safe side.
        box.setEscapeButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? IDYES : IDNO;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return IDOK;
}
