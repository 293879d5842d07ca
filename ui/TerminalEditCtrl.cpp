#include "ui/TerminalEditCtrl.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMenu>
#include <QTextCursor>
#include <string>

#include "base/TerminalText.h"

CTerminalEditCtrl::CTerminalEditCtrl(FSend fnSend, QWidget* pParent, int nMaxLines)
    : CLogView(pParent, nMaxLines),
      m_fnBeep([] { QApplication::beep(); }),
      m_fnSend(std::move(fnSend)) {
    setObjectName("terminal");
    setAccessibleName(tr("Serial terminal"));
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setTabChangesFocus(false);
    // The caret shows where the user is, even though typing never inserts there.
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

void CTerminalEditCtrl::AppendTerminalText(const uint8_t* pBytes, size_t nCount) {
    const std::string strShown = TerminalDisplayText(pBytes, nCount, m_bAfterCr);
    if (strShown.empty()) return;  // an empty text would clear the log view
    AddText(QString::fromLatin1(strShown.data(), static_cast<qsizetype>(strShown.size())));
}

void CTerminalEditCtrl::keyPressEvent(QKeyEvent* pEvent) {
    if (pEvent->matches(QKeySequence::Copy) && textCursor().hasSelection()) {
        copy();
        return;
    }
    if (pEvent->matches(QKeySequence::Paste)) {
        PasteToUnit();
        return;
    }
    if (pEvent->text().isEmpty()) {
        CLogView::keyPressEvent(pEvent);  // arrows, pages and the like move around the text
        return;
    }
    SendToUnit(pEvent->text());
}

void CTerminalEditCtrl::contextMenuEvent(QContextMenuEvent* pEvent) {
    QMenu* pMenu = createStandardContextMenu(pEvent->pos());
    QAction* pPaste = pMenu->addAction(tr("&Paste to the unit"), this, [this] { PasteToUnit(); });
    pPaste->setEnabled(!QApplication::clipboard()->text().isEmpty());
    pMenu->exec(pEvent->globalPos());
    delete pMenu;
}

void CTerminalEditCtrl::PasteToUnit() {
    QString strText = QApplication::clipboard()->text();
    // A pasted line ends as a typed one does, with Enter (CR).
    strText.replace("\r\n", "\r").replace('\n', '\r');
    SendToUnit(strText);
}

void CTerminalEditCtrl::SendToUnit(const QString& strText) {
    if (strText.isEmpty()) return;
    // Each character goes as its low byte, what a unit's 8-bit line carries.
    std::string strBytes;
    strBytes.reserve(static_cast<size_t>(strText.size()));
    for (QChar ch : strText) strBytes += static_cast<char>(ch.unicode() & 0xFF);
    moveCursor(QTextCursor::End);
    const size_t nSent =
        m_fnSend(reinterpret_cast<const uint8_t*>(strBytes.data()), strBytes.size());
    if (nSent < strBytes.size()) m_fnBeep();
}
