#pragma once
#include <QPlainTextEdit>

// The running log: read-only, growing, with a vertical scroll bar. Text is added at the
// end; a caret at the end follows the newest text, while a caret or selection the user
// placed elsewhere stays where it is. When it holds more than kMaxLines lines the oldest
// go, so a run of days cannot exhaust memory.
class CLogView : public QPlainTextEdit {
    Q_OBJECT
public:
    static constexpr int kMaxLines = 200000;
    explicit CLogView(QWidget* pParent = nullptr, int nMaxLines = kMaxLines);

    // A non-empty text is added at the end ("\n" breaks lines); the empty text clears.
    void AddText(const QString& strText);
    // Lines held, the one after the last line break counted.
    int LineCount() const;

private:
    void DropOldest();

    const int m_nMaxLines;
};
