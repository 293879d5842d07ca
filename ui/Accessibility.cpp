#include "ui/Accessibility.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTextCursor>
#include <algorithm>

#include "ui/TerminalEditCtrl.h"

namespace {

// As Qt's own combo box, but named by its label: a reader that hears only "COM1" or a
// path cannot tell which setting it is on.
class CAccessibleCombo : public QAccessibleWidget {
public:
    explicit CAccessibleCombo(QComboBox* pCombo)
        : QAccessibleWidget(pCombo, QAccessible::ComboBox) {}

    int childCount() const override { return Combo()->isEditable() ? 2 : 1; }
    QAccessibleInterface* child(int nIndex) const override {
        if (nIndex == 0) return QAccessible::queryAccessibleInterface(Combo()->view());
        if (nIndex == 1 && Combo()->isEditable())
            return QAccessible::queryAccessibleInterface(Combo()->lineEdit());
        return nullptr;
    }
    int indexOfChild(const QAccessibleInterface* pChild) const override {
        if (pChild->object() == Combo()->view()) return 0;
        if (Combo()->isEditable() && pChild->object() == Combo()->lineEdit()) return 1;
        return -1;
    }
    QAccessibleInterface* focusChild() const override {
        return Combo()->isEditable() ? child(1) : nullptr;
    }
    QString text(QAccessible::Text eText) const override {
        if (eText == QAccessible::Value) return Combo()->currentText();
        return QAccessibleWidget::text(eText);  // the name: set, else the label's
    }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.expandable = true;
        state.expanded = Combo()->view()->isVisible();
        state.editable = Combo()->isEditable();
        return state;
    }
    QStringList actionNames() const override {
        return QStringList{showMenuAction(), pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& strAction) override {
        if (strAction != showMenuAction() && strAction != pressAction())
            return QAccessibleWidget::doAction(strAction);
        if (Combo()->view()->isVisible())
            Combo()->hidePopup();
        else
            Combo()->showPopup();
    }

private:
    QComboBox* Combo() const { return static_cast<QComboBox*>(widget()); }
};

// The terminal's text as a terminal: readers speak what arrives in one.
class CAccessibleTerminal : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit CAccessibleTerminal(QPlainTextEdit* pEdit)
        : QAccessibleWidget(pEdit, QAccessible::Terminal) {}

    void* interface_cast(QAccessible::InterfaceType eType) override {
        if (eType == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(eType);
    }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.multiLine = true;
        state.selectableText = true;
        return state;
    }

    void selection(int nIndex, int* pnStart, int* pnEnd) const override {
        const QTextCursor cursor = Edit()->textCursor();
        const bool bAny = nIndex == 0 && cursor.hasSelection();
        *pnStart = bAny ? cursor.selectionStart() : 0;
        *pnEnd = bAny ? cursor.selectionEnd() : 0;
    }
    int selectionCount() const override { return Edit()->textCursor().hasSelection() ? 1 : 0; }
    void addSelection(int nStart, int nEnd) override { setSelection(0, nStart, nEnd); }
    void removeSelection(int) override {
        QTextCursor cursor = Edit()->textCursor();
        cursor.clearSelection();
        Edit()->setTextCursor(cursor);
    }
    void setSelection(int, int nStart, int nEnd) override {
        Edit()->setTextCursor(Cursor(nStart, nEnd));
    }
    int cursorPosition() const override { return Edit()->textCursor().position(); }
    void setCursorPosition(int nPosition) override {
        Edit()->setTextCursor(Cursor(nPosition, nPosition));
    }
    QString text(int nStart, int nEnd) const override {
        return Cursor(nStart, nEnd).selectedText().replace(QChar::ParagraphSeparator, '\n');
    }
    int characterCount() const override { return Edit()->document()->characterCount() - 1; }
    QRect characterRect(int nOffset) const override {
        QRect rect = Edit()->cursorRect(Cursor(nOffset, nOffset));
        rect.setWidth(Edit()->fontMetrics().horizontalAdvance(QChar('M')));
        return {Edit()->viewport()->mapToGlobal(rect.topLeft()), rect.size()};
    }
    int offsetAtPoint(const QPoint& pt) const override {
        return Edit()->cursorForPosition(Edit()->viewport()->mapFromGlobal(pt)).position();
    }
    void scrollToSubstring(int nStart, int) override {
        Edit()->setTextCursor(Cursor(nStart, nStart));
        Edit()->ensureCursorVisible();
    }
    QString attributes(int, int* pnStart, int* pnEnd) const override {
        *pnStart = 0;  // one font and colour throughout
        *pnEnd = characterCount();
        return {};
    }

private:
    QPlainTextEdit* Edit() const { return static_cast<QPlainTextEdit*>(widget()); }
    QTextCursor Cursor(int nAnchor, int nPosition) const {
        const int nLast = characterCount();
        QTextCursor cursor(Edit()->document());
        cursor.setPosition(std::clamp(nAnchor, 0, nLast));
        cursor.setPosition(std::clamp(nPosition, 0, nLast), QTextCursor::KeepAnchor);
        return cursor;
    }
};

QAccessibleInterface* OurInterface(const QString&, QObject* pObject) {
    if (auto* pTerminal = qobject_cast<CTerminalEditCtrl*>(pObject))
        return new CAccessibleTerminal(pTerminal);
    if (auto* pCombo = qobject_cast<QComboBox*>(pObject)) return new CAccessibleCombo(pCombo);
    // Qt calls a top-level plain widget a "filler": it is a window.
    auto* pWidget = qobject_cast<QWidget*>(pObject);
    if (pWidget && pWidget->isWindow() && pWidget->metaObject() == &QWidget::staticMetaObject)
        return new QAccessibleWidget(pWidget, QAccessible::Window);
    return nullptr;
}

}  // namespace

void InstallAccessibility() {
    static const bool s_bInstalled = [] {
        QAccessible::installFactory(OurInterface);
        return true;
    }();
    (void)s_bInstalled;
}

namespace {
// The text a screen reader announces for a widget: its accessible name, else its label's.
QString AccessibleNameOf(QWidget* pWidget) {
    if (!pWidget->accessibleName().isEmpty()) return pWidget->accessibleName();
    if (!pWidget->parentWidget()) return {};
    for (const QLabel* pLabel :
         pWidget->parentWidget()->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
        if (pLabel->buddy() == pWidget) return QString(pLabel->text()).remove('&');
    }
    return {};
}
}  // namespace

void NameComboParts(QComboBox* pCombo) {
    const QString strName = AccessibleNameOf(pCombo);
    if (QLineEdit* pEdit = pCombo->lineEdit()) pEdit->setAccessibleName(strName);
    pCombo->view()->setAccessibleName(strName);
}
