#include "ui/MainSheet.h"

#include <QPushButton>
#include <QTimer>

#include "app/ORXBootApp.h"
#include "ui/ChosenMethods.h"
#include "ui/PropNet.h"
#include "ui/PropSelect.h"
#include "ui/PropSerial.h"
#include "ui/PropTransfer.h"

CMainSheet::CMainSheet(const CSheetServices& services, int nStartPage)
    : CPropertySheet(tr("ORX Boot Server"), nStartPage),
      m_control(*this, services, QStringLiteral("sheet")) {
    // A desktop window that stays up for hours belongs in the task bar, minimisable.
    setWindowFlag(Qt::WindowMinimizeButtonHint, true);
    const CORXBootConfig& config = Config();
    m_pMethods =
        new CChosenMethods(config.m_nBootNet.load() != 0, config.m_nBootSerial.load() != 0, this);
    connect(m_pMethods, &CChosenMethods::changed, this,
            [this] { EnableStart(m_pMethods->Net() || m_pMethods->Serial() || ServersRunning()); });
    const CPageContext ctx{services.app, services.boxes, services.files, *m_pMethods};
    auto* pSelect = new CPropSelect(ctx);
    connect(pSelect, &CPropSelect::aboutRequested, this, [this] { m_control.ShowAbout(); });
    connect(pSelect, &CPropSelect::wizardModeRequested, this,
            [this] { m_control.SwitchMode(true); });
    auto* pNet = new CPropNet(ctx);
    auto* pSerial = new CPropSerial(ctx);
    m_pTransfer = new CPropTransfer(ctx);
    AddPage(pSelect);
    AddPage(pNet);
    AddPage(pSerial);
    AddPage(m_pTransfer);
    m_control.Install();
}

CMainSheet::~CMainSheet() = default;

CORXBootConfig& CMainSheet::Config() const {
    return App().Config();
}
bool CMainSheet::ServersRunning() const {
    return App().ServersRunning();
}

void CMainSheet::OnInitDialog() {
    CPropertySheet::OnInitDialog();
    m_control.OpenTerminalIfSet();
    UpdateStartButton();
    Button(IDCANCEL)->setText(tr("&Close"));
    if (Config().m_bTranAutoStart) PostCommand(IDOK);
    UpdateTitle();
}

void CMainSheet::UpdateTitle() {
    QString strTitle = Caption();
    if (CPropertyPage* pPage = ActivePage()) strTitle += " - " + pPage->Caption();
    if (!ServersRunning()) {
        strTitle += tr(" (Stopped)");
    } else if (App().TransferCount() == 0) {
        strTitle += tr(" (Monitoring)");
    } else {
        strTitle += tr(" (Active)");
    }
    setWindowTitle(strTitle);
}

// The title names the page.
void CMainSheet::OnActivePageChanged() {
    QTimer::singleShot(0, this, [this] { UpdateTitle(); });
    m_control.FollowPage();
}

// The label follows the servers, whoever started or stopped them.
void CMainSheet::UpdateStartButton() {
    Button(IDOK)->setText(ServersRunning() ? tr("S&top") : tr("&Start"));
}

void CMainSheet::EnableStart(bool bEnable) {
    Button(IDOK)->setEnabled(bEnable);
}

void CMainSheet::OnCommand(int nId) {
    switch (nId) {
        case IDOK:
            StartStop();
            break;
        case ID_APPLY_NOW:
            ApplyNow();
            break;
        case IDCANCEL:
            m_control.Close();
            break;
        default:
            CPropertySheet::OnCommand(nId);
            break;
    }
}

void CMainSheet::done(int nResult) {
    m_control.OnDone();
    CPropertySheet::done(nResult);
}

void CMainSheet::StartStop() {
    if (ServersRunning()) {
        if (m_control.ConfirmStopTransfers()) m_control.StopServersIfRunning();
    } else {
        SetActivePage(PAGE_TRANSFER);
        if (PressApply()) m_control.Start();
    }
    UpdateStartButton();
}

void CMainSheet::ApplyNow() {
    // A refusal leaves the settings and the servers as they were: nothing to ask about.
    if (!CheckPages()) return;
    const bool bStopped = ServersRunning();
    if (bStopped) {
        if (!m_control.ConfirmStopTransfers()) return;
        m_control.StopServersIfRunning();
    }
    if (PressApply() && bStopped) m_control.Start();
    UpdateStartButton();
}

void CMainSheet::OnBootEvent(const CBootEvent& event) {
    const bool bStatus = StatusOf(event).has_value();
    if (bStatus) {
        m_control.OnStatus();
        UpdateStartButton();
    }
    if (!m_pTransfer->IsCreated()) return;
    m_pTransfer->ShowBootEvent(event);
    if (bStatus) UpdateTitle();
}
