#pragma once
#include <QComboBox>

// The first entry that begins with the text, in any case, or -1 (a combo box's own
// prefix search).
inline int FindComboPrefix(const QComboBox* pCombo, const QString& str) {
    for (int i = 0; i < pCombo->count(); ++i) {
        if (pCombo->itemText(i).startsWith(str, Qt::CaseInsensitive)) return i;
    }
    return -1;
}
