#include "ui/QtMessageBox.h"

#include <QApplication>
#include <QMessageBox>

#include "ui/ModalSheet.h"

namespace {
// A box belongs to the box or dialog already up, else to the sheet, even while the user
// types in the terminal: it holds up an operation of the sheet, never the terminal.
QWidget* BoxOwner() {
    if (QWidget* pModal = QApplication::activeModalWidget()) return pModal;
    return CModalSheet::Shown();
}
}  // namespace

int CQtMessageBox::Show(const std::string& strText, unsigned nType) {
    QMessageBox box(BoxOwner());
    // Modal to its window only, so the terminal still takes keys (without an owner: to all).
    box.setWindowModality(box.parentWidget() ? Qt::WindowModal : Qt::ApplicationModal);
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
