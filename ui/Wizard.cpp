#include "ui/Wizard.h"

#include <QEvent>
#include <QLabel>
#include <QPushButton>

#include "app/ORXBootApp.h"
#include "platform/MessageBox.h"
#include "platform/Messages.h"
#include "ui/MainSheet.h"
#include "ui/WizardPages.h"

CWizard::CWizard(CMainSheet& sheet) : QObject(&sheet), m_sheet(sheet) {
    m_pBoot = new CWizBoot(*this);
    m_pDownload = new CWizDownload(*this);
    m_pSuccess = new CWizSuccess(*this);
    sheet.AddPage(new CWizIntro(*this));
    sheet.AddPage(new CWizFile(*this));
    sheet.AddPage(new CWizSelect(*this));
    sheet.AddPage(m_pBoot);
    sheet.AddPage(new CWizWait(*this));
    sheet.AddPage(m_pDownload);
    sheet.AddPage(m_pSuccess);
    // A double click on Next or Back is one press: it must not skip a page the user has
    // not read, such as the cold boot steps after the servers start.
    sheet.Button(ID_WIZNEXT)->installEventFilter(this);
    sheet.Button(ID_WIZBACK)->installEventFilter(this);
}

bool CWizard::eventFilter(QObject* pWatched, QEvent* pEvent) {
    if (pEvent->type() == QEvent::MouseButtonDblClick) return true;
    return QObject::eventFilter(pWatched, pEvent);
}

CORXBootApp& CWizard::App() const {
    return m_sheet.App();
}
IMessageBox& CWizard::Boxes() const {
    return m_sheet.Boxes();
}
IFileDialog& CWizard::Files() const {
    return m_sheet.Files();
}
void CWizard::AdvancedMode() const {
    m_sheet.SwitchMode(false);
}

bool CWizard::StartServers() {
    return m_sheet.Start();
}

void CWizard::StopServers() {
    if (!App().ServersRunning()) return;
    m_bStopping = true;
    m_sheet.StopServersIfRunning();
}

CWizPage* CWizard::ActivePage() const {
    return static_cast<CWizPage*>(m_sheet.ActivePage());
}

void CWizard::ShowPage(CPropertyPage* pPage) {
    ++m_nSwitchGuard;
    m_sheet.SetActivePage(pPage);
    --m_nSwitchGuard;
}

void CWizard::OnBootEvent(const CBootEvent& event) {
    if (const auto* pProgress = std::get_if<CSlotProgress>(&event)) {
        // One bar follows one download: the first transfer's, as the page's port label does.
        if (pProgress->nSlot == 0 && m_pDownload->IsCreated())
            m_pDownload->ShowProgress(pProgress->nPercent);
        return;
    }
    const std::optional<EBootStatus> eStatus = StatusOf(event);
    if (eStatus == EBootStatus::ServersHalted) m_bStopping = false;
    // Log lines, slot labels and status events; nothing else moves the pages.
    const std::optional<std::string> strShown = ShownText(event);
    if (!strShown || m_nSwitchGuard != 0) return;
    CWizPage* pActive = ActivePage();
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
