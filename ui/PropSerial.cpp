#include "ui/PropSerial.h"

#include <QLabel>
#include <QVBoxLayout>

#include "ui/MainSheet.h"
#include "ui/Pictures.h"

CPropSerial::CPropSerial(CMainSheet& sheet) : CPropertyPage(109, tr("Serial")), m_sheet(sheet) {
    setObjectName("pageSerial");
    auto* pPicture = new QLabel(this);
    pPicture->setPixmap(Picture(EPicture::SerialPage, 64));
    pPicture->setAccessibleName(tr("Serial"));
    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(pPicture, 0, Qt::AlignLeft | Qt::AlignBottom);
}

bool CPropSerial::OnSetActive() {
    m_sheet.PostUpdateTitle();
    return true;
}
