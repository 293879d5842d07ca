#pragma once
#include <QWidget>
#include <array>
#include <cstdint>
#include <optional>

class QKeyEvent;
class QLineEdit;

// An IPv4 address as four fields of 0 to 255 between dots. Typing a dot or a space, or a
// third digit, moves to the next field (a dot right after a third digit moves no further);
// entering a field selects it; Left, Right and Backspace cross the dots; pasting a dotted
// address into any field fills all four. A field left empty or above 255 makes the
// whole address invalid, so it can never be taken for another address.
class CIpAddressCtrl : public QWidget {
    Q_OBJECT
public:
    explicit CIpAddressCtrl(QWidget* pParent = nullptr);

    // Network byte order (the first number of the dotted form first in memory). Setting
    // does not emit FieldChanged.
    void SetAddress(uint32_t dwAddrNet);
    // None while a field is empty or out of range.
    std::optional<uint32_t> Address() const;
    // The first field that is empty or out of range, or -1.
    int FirstBadField() const;
    void FocusField(int nField);
    // The name a screen reader gives the address and, with their place, its fields.
    void SetName(const QString& strName);
    QLineEdit* Field(int nField) const { return m_arrFields[static_cast<size_t>(nField)]; }

signals:
    // The user changed a field (typing, deleting or pasting).
    void FieldChanged(int nField);

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    void OnEdited(int nField, const QString& strText);
    bool OnKey(int nField, QKeyEvent* pKey);
    void ShowValidity(int nField);
    int IndexOf(QObject* pField) const;

    std::array<QLineEdit*, 4> m_arrFields{};
    bool m_bMovedOn = false;          // the last key filled a part and moved to the next
    bool m_bSelectOnRelease = false;  // a click entered the part
};
