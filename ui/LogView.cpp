#include "ui/LogView.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

CLogView::CLogView(QWidget* pParent, int nMaxLines, int nSlack)
    : QPlainTextEdit(pParent), m_nMaxLines(nMaxLines), m_nSlack(nSlack) {
    setObjectName("log");
    setAccessibleName(tr("Log"));
    setReadOnly(true);
    setUndoRedoEnabled(false);  // an undo history would grow with every line
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setTabChangesFocus(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

QMenu* CLogView::CreateMenu() {
    auto* pMenu = new QMenu(this);
    QAction* pCopy = pMenu->addAction(tr("&Copy"), QKeySequence::Copy, this, &CLogView::copy);
    pCopy->setEnabled(textCursor().hasSelection());
    pMenu->addAction(tr("Select &All"), QKeySequence::SelectAll, this, &CLogView::selectAll);
    pMenu->addSeparator();
    if (m_fnSaveAs) pMenu->addAction(tr("&Save As..."), this, [this] { m_fnSaveAs(); });
    pMenu->addAction(tr("C&lear"), this, [this] { AddText({}); });
    return pMenu;
}

void CLogView::contextMenuEvent(QContextMenuEvent* pEvent) {
    QMenu* pMenu = CreateMenu();
    pMenu->exec(pEvent->globalPos());
    delete pMenu;
}

int CLogView::LineCount() const {
    return document()->blockCount();
}

void CLogView::AddText(const QString& strText) {
    // Live cursors follow the edit: a copy of the user's one keeps its place.
    const QTextCursor cursorUser = textCursor();
    const int nLength = document()->characterCount() - 1;
    const bool bCaretAtEnd = cursorUser.selectionStart() == nLength;
    QTextCursor cursorEdit(document());
    if (strText.isEmpty()) {
        cursorEdit.select(QTextCursor::Document);
        cursorEdit.removeSelectedText();
    } else {
        cursorEdit.movePosition(QTextCursor::End);
        cursorEdit.insertText(strText);
        DropOldest();
    }
    if (bCaretAtEnd) {
        QTextCursor cursorEnd(document());
        cursorEnd.movePosition(QTextCursor::End);
        setTextCursor(cursorEnd);
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    } else {
        setTextCursor(cursorUser);
        ensureCursorVisible();
    }
}

void CLogView::DropOldest() {
    if (document()->blockCount() <= m_nMaxLines + m_nSlack) return;
    const int nExcess = document()->blockCount() - m_nMaxLines;
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::Start);
    cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, nExcess);
    cursor.removeSelectedText();
}
