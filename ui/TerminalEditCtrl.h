#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>

#include "ui/LogView.h"

// The serial terminal's text: what the ports print, shown as the headless terminal shows
// it (line breaks from CR, LF or CR LF, even split over two chunks; TAB and printable ASCII
// as they are; backspace dropped; every other byte, 128 to 255 included, as "{XX}").
// A chunk that shows nothing (only backspaces) leaves the text alone. What the user types
// or pastes goes to the unit through fnSend and is never put into the text: the unit's
// echo shows it. Above kMaxLines lines the oldest go; the user's selection and scroll
// position stay while text arrives. Its menu copies, pastes to the unit, selects all,
// clears, saves the text as shown, and turns timestamps on: each line received from then on
// starts with the time it began to arrive (shown only; the unit is sent nothing).
class CTerminalEditCtrl : public CLogView {
    Q_OBJECT
public:
    static constexpr int kMaxLines = 20000;
    // Takes bytes for the first port and returns how many it queued.
    using FSend = std::function<size_t(const uint8_t* pBytes, size_t nCount)>;
    explicit CTerminalEditCtrl(FSend fnSend, QWidget* pParent = nullptr, int nMaxLines = kMaxLines);

    void AppendTerminalText(const uint8_t* pBytes, size_t nCount);
    void SetTimestamps(bool bOn);
    // Empties the view; the next text begins a line.
    void ClearText();
    // Bytes that could not be sent sound the warning beep; tests count them instead.
    std::function<void()> m_fnBeep;
    // The stamp a line starts with: "[hh:mm:ss.zzz] " of the local time; tests fix it.
    std::function<QString()> m_fnStamp;

protected:
    void keyPressEvent(QKeyEvent* pEvent) override;
    // Tab is a key for the unit, not a way out of the window.
    bool focusNextPrevChild(bool) override { return false; }
    void contextMenuEvent(QContextMenuEvent* pEvent) override;

private:
    void PasteToUnit();
    void SendToUnit(const QString& strText);

    FSend m_fnSend;
    bool m_bAfterCr = false;
    bool m_bTimestamps = false;
    bool m_bLineStart = true;  // the next text shown begins a line
};
