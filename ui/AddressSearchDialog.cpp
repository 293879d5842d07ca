#include "ui/AddressSearchDialog.h"

#include "platform/Socket.h"

CAddressSearchDialog::CAddressSearchDialog(const QString& strTitle, QWidget* pParent)
    : QProgressDialog(pParent) {
    setObjectName("addressSearch");
    setWindowTitle(strTitle);
    setRange(0, 0);
    ShowTrying(0);
}

void CAddressSearchDialog::ShowTrying(uint32_t dwAddrNet) {
    const QString strText = tr("Looking for a free unit address...");
    setLabelText(dwAddrNet == 0
                     ? strText
                     : strText + "\n" + QString::fromStdString(DottedAddress(dwAddrNet)));
}
