#pragma once
#include "platform/MessageBox.h"

// Message boxes of the window: the buttons and icon the type asks for, modal to the sheet
// (or on their own before and between sheets).
class CQtMessageBox : public IMessageBox {
public:
    int Show(const std::string& strText, unsigned nType) override;
};
