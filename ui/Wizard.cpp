#include "ui/Wizard.h"

#include <QLabel>

#include "app/ORXBootApp.h"
#include "platform/MessageBox.h"
#include "platform/Messages.h"
#include "ui/WizardPages.h"

CWizard::CWizard(const CSheetServices& services)
    : CWizardSheet(tr("ORX Boot Server")), m_control(*this, services, QStringLiteral("wizard")) {
    m_pBoot = new CWizBoot(*this);
    m_pDownload = new CWizDownload(*this);
    m_pSuccess = new CWizSuccess(*this);
    AddPage(new CWizIntro(*this));
    AddPage(new CWizFile(*this));
    AddPage(new CWizSelect(*this));
    AddPage(m_pBoot);
    AddPage(new CWizWait(*this));
    AddPage(m_pDownload);
    AddPage(m_pSuccess);
    m_control.Install();
}

CWizard::~CWizard() = default;

void CWizard::OnInitDialog() {
    CWizardSheet::OnInitDialog();
    m_control.OpenTerminalIfSet();
}

void CWizard::OnActivePageChanged() {
    CWizardSheet::OnActivePageChanged();
    m_control.FollowPage();
}

void CWizard::OnCommand(int nId) {
    if (nId == IDCANCEL) {
        m_control.Close();
    } else {
        CWizardSheet::OnCommand(nId);
    }
}

void CWizard::done(int nResult) {
    m_control.OnDone();
    CWizardSheet::done(nResult);
}

void CWizard::StopServers() {
    if (!App().ServersRunning()) return;
    m_bStopping = true;
    m_control.StopServersIfRunning();
}

CWizPage* CWizard::ActiveWizPage() const {
    return static_cast<CWizPage*>(ActivePage());
}

void CWizard::ShowPage(CPropertyPage* pPage) {
    ++m_nSwitchGuard;
    SetActivePage(pPage);
    --m_nSwitchGuard;
}

void CWizard::OnBootEvent(const CBootEvent& event) {
    const std::optional<EBootStatus> eStatus = StatusOf(event);
    if (eStatus) m_control.OnStatus();
    if (const auto* pProgress = std::get_if<CSlotProgress>(&event)) {
        // One bar follows one download: the first transfer's, as the page's port label does.
        if (pProgress->nSlot == 0 && m_pDownload->IsCreated())
            m_pDownload->ShowProgress(pProgress->nPercent);
        return;
    }
    if (eStatus == EBootStatus::ServersHalted) m_bStopping = false;
    // Log lines, slot labels and status events; nothing else moves the pages.
    const std::optional<std::string> strShown = ShownText(event);
    if (!strShown || m_nSwitchGuard != 0) return;
    CWizPage* pActive = ActiveWizPage();
    if (!pActive) return;
    if (eStatus == EBootStatus::TransferFailed) {
        if (m_bStopping) return;
        Boxes().Show("Boot file transfer FAILED.\nPress OK to try again.",
                     MB_OK | MB_ICONEXCLAMATION);
        ShowPage(m_pBoot);
        return;
    }
    const bool bTransfers = App().TransferCount() != 0;
    if (eStatus == EBootStatus::TransferCompleted) {
        if (m_bStopping) return;
        // While another unit still downloads, the download is not complete: the page
        // goes on showing the one that is now first.
        if (!bTransfers) {
            ShowPage(m_pSuccess);
        } else if (pActive == m_pDownload) {
            m_pDownload->ShowTransfer();
        } else {
            ShowPage(m_pDownload);
        }
        return;
    }
    if (pActive != m_pDownload && bTransfers) {
        ShowPage(m_pDownload);
        return;
    }
    if (QLabel* pLine = pActive->StatusLine()) {
        QString strLine = QString::fromStdString(*strShown);
        while (strLine.endsWith('\n') || strLine.endsWith('\r')) strLine.chop(1);
        pLine->setText(strLine);
    }
}
