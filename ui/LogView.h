#pragma once
#include <QPlainTextEdit>
#include <functional>

class QMenu;

// The running log: read-only, growing, with a vertical scroll bar. Text is added at the
// end; a caret at the end follows the newest text, while a caret or selection the user
// placed elsewhere stays where it is. When it holds more than nMaxLines lines (plus
// nSlack) the oldest go, down to nMaxLines, so a run of days cannot exhaust memory.
class CLogView : public QPlainTextEdit {
    Q_OBJECT
public:
    static constexpr int kMaxLines = 200000;
    // The Transfer page's log lets a hundredth more gather before the oldest go: dropping
    // lines moves the whole view, which a batch does once in many appends.
    static constexpr int kSlack = kMaxLines / 100;
    explicit CLogView(QWidget* pParent = nullptr, int nMaxLines = kMaxLines, int nSlack = 0);

    // A non-empty text is added at the end ("\n" breaks lines); the empty text clears.
    void AddText(const QString& strText);
    // Lines held, the one after the last line break counted.
    int LineCount() const;
    // The context menu: Copy, Select All, Save As... (when m_fnSaveAs is set) and Clear.
    QMenu* CreateMenu();
    // Save As...: the owner asks where and writes the text.
    std::function<void()> m_fnSaveAs;

protected:
    void contextMenuEvent(QContextMenuEvent* pEvent) override;

private:
    void DropOldest();

    const int m_nMaxLines;
    const int m_nSlack;
};
