#pragma once
#include <QPointer>
#include <QWidget>

#include "platform/MessageBox.h"

// Message boxes of the window: the buttons and icon the type asks for, over the sheet
// that is shown (or on their own before and between sheets).
class CQtMessageBox : public IMessageBox {
public:
    int Show(const std::string& strText, unsigned nType) override;
    void SetParent(QWidget* pParent) { m_pParent = pParent; }

private:
    QPointer<QWidget> m_pParent;
};
