#include "ui/MainSheet.h"

#include <QApplication>
#include <QKeySequence>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>

#include "app/ORXBootApp.h"
#include "ui/AboutDialog.h"
#include "ui/ChosenMethods.h"
#include "ui/HelpWindow.h"
#include "ui/Pictures.h"
#include "ui/PropNet.h"
#include "ui/PropSelect.h"
#include "ui/PropSerial.h"
#include "ui/PropTransfer.h"
#include "ui/ScreenSaverInhibitor.h"
#include "ui/WaitCursor.h"
#include "ui/WindowPlaces.h"
#include "ui/Wizard.h"

CMainSheet::CMainSheet(const CServices& services, int nStartPage)
    : CPropertySheet(tr("ORX Boot Server"),
                     services.app.Config().m_bWizardMode ? ESheetForm::Wizard : ESheetForm::Tabs,
                     nStartPage),
      m_app(services.app),
      m_boxes(services.boxes),
      m_files(services.files),
      m_pInhibitor(services.pInhibitor),
      m_pPlaces(services.pPlaces),
      m_bWizard(services.app.Config().m_bWizardMode) {
    setObjectName("mainSheet");
    setWindowIcon(AppIcon());
    if (m_bWizard) {
        m_pWizard = new CWizard(*this);
    } else {
        // A desktop window that stays up for hours belongs in the task bar, minimisable.
        setWindowFlag(Qt::WindowMinimizeButtonHint, true);
        const CORXBootConfig& config = m_app.Config();
        m_pMethods = new CChosenMethods(config.m_nBootNet.load() != 0,
                                        config.m_nBootSerial.load() != 0, this);
        connect(m_pMethods, &CChosenMethods::changed, this, [this] {
            EnableStart(m_pMethods->Net() || m_pMethods->Serial() || ServersRunning());
        });
        const CPageContext ctx{m_app, m_boxes, m_files, *m_pMethods};
        auto* pSelect = new CPropSelect(ctx);
        connect(pSelect, &CPropSelect::aboutRequested, this, &CMainSheet::ShowAbout);
        connect(pSelect, &CPropSelect::wizardModeRequested, this, [this] { SwitchMode(true); });
        auto* pNet = new CPropNet(ctx);
        auto* pSerial = new CPropSerial(ctx);
        m_pTransfer = new CPropTransfer(ctx);
        AddPage(pSelect);
        AddPage(pNet);
        AddPage(pSerial);
        AddPage(m_pTransfer);
    }
    // The help of the page shown, with the About box in it (no window manager lets us add
    // to the window menu): F1 and a small button.
    auto* pHelp = new QToolButton;
    pHelp->setObjectName("helpButton");
    pHelp->setText(tr("?"));
    pHelp->setToolTip(tr("Help (F1)"));
    pHelp->setAccessibleName(tr("Help"));
    connect(pHelp, &QToolButton::clicked, this, &CMainSheet::ShowHelp);
    AddLeftButton(pHelp);
    auto* pF1 = new QShortcut(QKeySequence::HelpContents, this);
    connect(pF1, &QShortcut::activated, this, &CMainSheet::ShowHelp);
    if (m_pPlaces) m_pPlaces->Restore(this, PlaceKind());
}

// The two kinds differ in size and content: each has a place of its own.
QString CMainSheet::PlaceKind() const {
    return m_bWizard ? QStringLiteral("wizard") : QStringLiteral("sheet");
}

CMainSheet::~CMainSheet() {
    StopServersIfRunning();
    if (m_pInhibitor) m_pInhibitor->SetInhibited(false);
}

CORXBootConfig& CMainSheet::Config() const {
    return m_app.Config();
}
bool CMainSheet::ServersRunning() const {
    return m_app.ServersRunning();
}
bool CMainSheet::SocketsAvailable() const {
    return m_app.SocketsAvailable();
}
bool CMainSheet::SettingsReadOnly() const {
    return m_app.SettingsReadOnly();
}

void CMainSheet::OnInitDialog() {
    CPropertySheet::OnInitDialog();
    // Once the sheet is on screen, so that the terminal opens in front of it; still before
    // the auto start, as its port is the one the servers then find open.
    if (Config().m_bTerminal) QTimer::singleShot(0, this, [this] { m_app.OpenTerminal(); });
    if (!m_bWizard) {
        UpdateStartButton();
        Button(IDCANCEL)->setText(tr("&Close"));
        if (Config().m_bTranAutoStart) PostCommand(IDOK);
    }
    UpdateTitle();
}

void CMainSheet::UpdateTitle() {
    if (m_bWizard) return;
    QString strTitle = Caption();
    if (CPropertyPage* pPage = ActivePage()) strTitle += " - " + pPage->Caption();
    if (!ServersRunning()) {
        strTitle += tr(" (Stopped)");
    } else if (m_app.TransferCount() == 0) {
        strTitle += tr(" (Monitoring)");
    } else {
        strTitle += tr(" (Active)");
    }
    setWindowTitle(strTitle);
}

// The title names the page; the wizard's is the page's own caption.
void CMainSheet::OnActivePageChanged() {
    if (!m_bWizard) QTimer::singleShot(0, this, [this] { UpdateTitle(); });
    // An open help follows the page.
    CPropertyPage* pPage = ActivePage();
    if (m_pHelp && m_pHelp->isVisible() && pPage) m_pHelp->ShowPage(pPage->DialogId());
}

void CMainSheet::StopServersIfRunning() {
    if (!ServersRunning()) return;
    CWaitCursor wait;
    m_app.StopServers();
}

bool CMainSheet::ConfirmStopTransfers() {
    if (!ServersRunning() || m_app.TransferCount() == 0) return true;
    const bool bYes = m_boxes.Show("Are you sure you want to STOP active transfers?",
                                   MB_YESNO | MB_ICONQUESTION) == IDYES;
    // The sheet may have ended meanwhile (the last transfer done closes it).
    return bYes && !m_bEnded;
}

// The label follows the servers, whoever started or stopped them.
void CMainSheet::UpdateStartButton() {
    if (QPushButton* pStart = Button(IDOK))
        pStart->setText(ServersRunning() ? tr("S&top") : tr("&Start"));
}

void CMainSheet::SwitchMode(bool bWizard) {
    if (!ConfirmStopTransfers()) return;
    Config().m_bWizardMode = bWizard;
    EndDialog(IDRETRY);
}

void CMainSheet::ShowAbout() {
    ShowAboutBox(this);
}

void CMainSheet::ShowHelp() {
    if (!m_pHelp) {
        const QString strPlaces = m_pPlaces ? m_pPlaces->Path() : QString();
        m_pHelp = new CHelpWindow(this, QString::fromStdString(m_app.SettingsPath()), strPlaces);
    }
    if (CPropertyPage* pPage = ActivePage()) m_pHelp->ShowPage(pPage->DialogId());
    m_pHelp->show();
    m_pHelp->raise();
    m_pHelp->activateWindow();
}

void CMainSheet::EnableStart(bool bEnable) {
    if (QPushButton* pStart = Button(IDOK)) pStart->setEnabled(bEnable);
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
            if (!ConfirmStopTransfers()) break;
            StopServersIfRunning();
            EndDialog(IDCANCEL);
            break;
        default:
            CPropertySheet::OnCommand(nId);
            break;
    }
}

void CMainSheet::OnClose() {
    OnCommand(IDCANCEL);
}

void CMainSheet::OnCloseRequest() {
    // A unit that asked after the last one completed is not cut off: its end closes.
    if (m_bEnded || m_app.TransferCount() != 0) return;
    StopServersIfRunning();
    EndDialog(IDCANCEL);
}

void CMainSheet::Terminate() {
    if (m_bEnded) return;
    for (QWidget* pWidget : QApplication::topLevelWidgets()) {
        auto* pDialog = qobject_cast<QDialog*>(pWidget);
        if (pDialog && pDialog != this && pDialog->isVisible() && pDialog->isModal())
            pDialog->close();  // as Escape: a question answers No
    }
    StopServersIfRunning();
    EndDialog(IDCANCEL);
}

void CMainSheet::done(int nResult) {
    // The window going away stops the servers, whichever way it ends.
    if (!m_bEnded && m_pPlaces) m_pPlaces->Save(this, PlaceKind());
    m_bEnded = true;
    StopServersIfRunning();
    if (m_pInhibitor) m_pInhibitor->SetInhibited(false);
    CPropertySheet::done(nResult);
}

void CMainSheet::StartStop() {
    if (ServersRunning()) {
        if (ConfirmStopTransfers()) StopServersIfRunning();
    } else {
        SetActivePage(PAGE_TRANSFER);
        if (PressApply()) Start();
    }
    UpdateStartButton();
}

bool CMainSheet::Start() {
    if (m_app.StartServers()) return true;
    // Why is told before the stop closes what the start opened, the terminal too.
    if (m_fnShowPrompts) m_fnShowPrompts();
    m_app.StopServers();
    return false;
}

void CMainSheet::ApplyNow() {
    // A refusal leaves the settings and the servers as they were: nothing to ask about.
    if (!CheckPages()) return;
    const bool bStopped = ServersRunning();
    if (bStopped) {
        if (!ConfirmStopTransfers()) return;
        StopServersIfRunning();
    }
    if (PressApply() && bStopped) Start();
    UpdateStartButton();
}

void CMainSheet::OnBootEvent(const CBootEvent& event) {
    if (StatusOf(event)) {
        UpdateScreenSaver();
        UpdateStartButton();
    }
    if (m_pWizard) {
        m_pWizard->OnBootEvent(event);
    } else if (m_pTransfer && m_pTransfer->IsCreated()) {
        m_pTransfer->ShowBootEvent(event);
        if (StatusOf(event)) UpdateTitle();
    }
}

// Status events mark every start and end of a download, so they are enough to follow it.
void CMainSheet::UpdateScreenSaver() {
    if (m_pInhibitor) m_pInhibitor->SetInhibited(m_app.IsSerialDownloadActive());
}
