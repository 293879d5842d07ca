#pragma once
// What screen readers are told beyond Qt's own: combo boxes are named by their label (Qt on
// Linux names them by their current value), the serial terminal is a terminal, and a plain
// top-level widget is a window.
#include <QString>

class QComboBox;
class QWidget;

// Once per program, after the QApplication exists.
void InstallAccessibility();

// The list and edit parts of a combo box take the combo's own name.
void NameComboParts(QComboBox* pCombo);
