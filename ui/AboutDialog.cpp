#include "ui/AboutDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/Pictures.h"

CAboutDialog::CAboutDialog(QWidget* pParent) : QDialog(pParent) {
    setObjectName("aboutBox");
    setWindowTitle(tr("About ORXBoot"));
    setWindowIcon(AppIcon());

    auto* pIcon = new QLabel(this);
    pIcon->setPixmap(Picture(EPicture::AppIcon, 32));
    pIcon->setAccessibleName(tr("Application icon"));
    auto* pVersion = new QLabel(tr("ORXBoot Version 1.3"), this);
    pVersion->setObjectName("aboutVersion");
    auto* pPicture = new QLabel(this);
    pPicture->setPixmap(Picture(EPicture::About, 160));
    pPicture->setAccessibleName(tr("A handheld unit receiving its firmware"));
    auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    pButtons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(pButtons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* pText = new QVBoxLayout;
    auto* pTitle = new QHBoxLayout;
    pTitle->addWidget(pIcon);
    pTitle->addWidget(pVersion, 1);
    pText->addLayout(pTitle);
    pText->addStretch(1);
    pText->addWidget(pButtons);
    auto* pLayout = new QHBoxLayout(this);
    pLayout->addWidget(pPicture);
    pLayout->addLayout(pText, 1);
}

void ShowAboutBox(QWidget* pParent) {
    CAboutDialog box(pParent);
    box.setWindowModality(Qt::WindowModal);
    box.exec();
}
