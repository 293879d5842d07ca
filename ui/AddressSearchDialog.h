#pragma once
#include <QProgressDialog>
#include <cstdint>

// The wait for a free unit address: each echo request may take a second, so the user sees the
// address being tried and may cancel.
class CAddressSearchDialog : public QProgressDialog {
public:
    explicit CAddressSearchDialog(const QString& strTitle, QWidget* pParent = nullptr);
    // 0 before the first try.
    void ShowTrying(uint32_t dwAddrNet);
};
