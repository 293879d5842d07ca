#include "ui/PropNet.h"

#include <QLabel>
#include <QVBoxLayout>

#include "ui/MainSheet.h"
#include "ui/Pictures.h"

CPropNet::CPropNet(CMainSheet& sheet) : CPropertyPage(108, tr("Ethernet")), m_sheet(sheet) {
    setObjectName("pageEthernet");
    auto* pPicture = new QLabel(this);
    pPicture->setPixmap(Picture(EPicture::NetPage, 64));
    pPicture->setAccessibleName(tr("Ethernet"));
    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(pPicture, 0, Qt::AlignLeft | Qt::AlignBottom);
}

bool CPropNet::OnSetActive() {
    m_sheet.PostUpdateTitle();
    return true;
}
