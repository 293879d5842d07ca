#include "ui/TerminalEditCtrl.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMenu>
#include <QTextCursor>
#include <QTime>
#include <string>

#include "base/TerminalText.h"

CTerminalEditCtrl::CTerminalEditCtrl(FSend fnSend, QWidget* pParent, int nMaxLines)
    : CLogView(pParent, nMaxLines),
      m_fnBeep([] { QApplication::beep(); }),
      m_fnStamp([] { return QTime::currentTime().toString("[HH:mm:ss.zzz] "); }),
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
    QString strText = QString::fromLatin1(strShown.data(), static_cast<qsizetype>(strShown.size()));
    if (m_bTimestamps) {
        const QString strStamp = m_fnStamp();
        // Every line that begins in this chunk; one that ends it begins with the next chunk.
        for (qsizetype i = strText.size() - 1; i > 0; --i)
            if (strText[i - 1] == '\n') strText.insert(i, strStamp);
        if (m_bLineStart) strText.prepend(strStamp);
    }
    m_bLineStart = strText.endsWith('\n');
    AddText(strText);
}

void CTerminalEditCtrl::SetTimestamps(bool bOn) {
    m_bTimestamps = bOn;
}

void CTerminalEditCtrl::ClearText() {
    AddText(QString());
    m_bLineStart = true;
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
    QMenu menu(this);
    menu.setObjectName("terminalMenu");
    QAction* pCopy = menu.addAction(tr("&Copy"), QKeySequence::Copy, this, [this] { copy(); });
    pCopy->setEnabled(textCursor().hasSelection());
    QAction* pPaste =
        menu.addAction(tr("&Paste"), QKeySequence::Paste, this, [this] { PasteToUnit(); });
    pPaste->setEnabled(!QApplication::clipboard()->text().isEmpty());
    menu.addAction(tr("Select &All"), this, [this] { selectAll(); });
    menu.addSeparator();
    menu.addAction(tr("C&lear"), this, [this] { ClearText(); });
    menu.addAction(tr("&Save As..."), this, [this] {
        if (m_fnSaveAs) m_fnSaveAs();
    });
    menu.addSeparator();
    QAction* pStamps =
        menu.addAction(tr("&Timestamps"), this, [this](bool bOn) { SetTimestamps(bOn); });
    pStamps->setCheckable(true);
    pStamps->setChecked(m_bTimestamps);
    menu.exec(pEvent->globalPos());
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
