#include "ui/WizPlaceholder.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/ORXBootApp.h"
#include "ui/MainSheet.h"
#include "ui/Pictures.h"

CWizPlaceholder::CWizPlaceholder(CMainSheet& sheet)
    : CPropertyPage(140, tr("ORX Boot Server - Introduction")) {
    setObjectName("pageWizIntro");
    auto* pPicture = new QLabel(this);
    pPicture->setPixmap(Picture(EPicture::About, 240));
    pPicture->setAccessibleName(tr("A handheld unit receiving its firmware"));
    auto* pText = new QLabel(tr("Welcome to the Merovan Boot Server."), this);
    pText->setWordWrap(true);
    auto* pAdvanced = new QPushButton(tr("&Advanced Mode"), this);
    pAdvanced->setObjectName("buttonAdvanced");
    pAdvanced->setEnabled(!sheet.SettingsReadOnly());
    connect(pAdvanced, &QPushButton::clicked, this, [&sheet] {
        if (sheet.Boxes().Show("Are you sure you want to leave the Wizard Mode?",
                               MB_YESNO | MB_ICONQUESTION) == IDYES)
            sheet.SwitchMode(false);
    });
    auto* pRight = new QVBoxLayout;
    pRight->addWidget(pText);
    pRight->addStretch(1);
    pRight->addWidget(pAdvanced, 0, Qt::AlignLeft);
    auto* pLayout = new QHBoxLayout(this);
    pLayout->addWidget(pPicture);
    pLayout->addLayout(pRight, 1);
}

bool CWizPlaceholder::OnSetActive() {
    Sheet()->SetWizardButtons(0);
    return true;
}
