#include "ui/ServerControl.h"

#include <QApplication>
#include <QKeySequence>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>

#include "app/ORXBootApp.h"
#include "platform/MessageBox.h"
#include "ui/AboutDialog.h"
#include "ui/HelpWindow.h"
#include "ui/ModalSheet.h"
#include "ui/Pictures.h"
#include "ui/ScreenSaverInhibitor.h"
#include "ui/WaitCursor.h"
#include "ui/WindowPlaces.h"

CServerControl::CServerControl(CModalSheet& window, const CSheetServices& services,
                               const QString& strKind)
    : m_window(window),
      m_app(services.app),
      m_boxes(services.boxes),
      m_files(services.files),
      m_pInhibitor(services.pInhibitor),
      m_pPlaces(services.pPlaces),
      m_strKind(strKind) {
    window.setObjectName("mainSheet");
    window.setWindowIcon(AppIcon());
}

CServerControl::~CServerControl() {
    StopServersIfRunning();
    if (m_pInhibitor) m_pInhibitor->SetInhibited(false);
}

void CServerControl::Install() {
    // The help of the page shown, with the About box in it (no window manager lets us add
    // to the window menu): F1 and a small button.
    auto* pHelp = new QToolButton;
    pHelp->setObjectName("helpButton");
    pHelp->setText(CModalSheet::tr("?"));
    pHelp->setToolTip(CModalSheet::tr("Help (F1)"));
    pHelp->setAccessibleName(CModalSheet::tr("Help"));
    QObject::connect(pHelp, &QToolButton::clicked, &m_window, [this] { ShowHelp(); });
    m_window.AddLeftButton(pHelp);
    auto* pF1 = new QShortcut(QKeySequence::HelpContents, &m_window);
    QObject::connect(pF1, &QShortcut::activated, &m_window, [this] { ShowHelp(); });
    if (m_pPlaces) m_pPlaces->Restore(&m_window, m_strKind);
}

void CServerControl::OpenTerminalIfSet() {
    // Still before the auto start, as its port is the one the servers then find open.
    if (m_app.Config().m_bTerminal)
        QTimer::singleShot(0, &m_window, [this] { m_app.OpenTerminal(); });
}

bool CServerControl::Start() {
    if (m_app.StartServers()) return true;
    // Why is told before the stop closes what the start opened, the terminal too.
    if (m_fnShowPrompts) m_fnShowPrompts();
    m_app.StopServers();
    return false;
}

void CServerControl::StopServersIfRunning() {
    if (!m_app.ServersRunning()) return;
    CWaitCursor wait;
    m_app.StopServers();
}

bool CServerControl::ConfirmStopTransfers() {
    if (!m_app.ServersRunning() || m_app.TransferCount() == 0) return true;
    const bool bYes = m_boxes.Show("Are you sure you want to STOP active transfers?",
                                   MB_YESNO | MB_ICONQUESTION) == IDYES;
    // The window may have ended meanwhile (the last transfer done closes it).
    return bYes && !m_bEnded;
}

// Status events mark every start and end of a download, so they are enough to follow it.
void CServerControl::OnStatus() {
    if (m_pInhibitor) m_pInhibitor->SetInhibited(m_app.IsSerialDownloadActive());
}

void CServerControl::SwitchMode(bool bWizard) {
    if (!ConfirmStopTransfers()) return;
    m_app.Config().m_bWizardMode = bWizard;
    m_window.EndDialog(IDRETRY);
}

void CServerControl::ShowAbout() {
    ShowAboutBox(&m_window);
}

void CServerControl::ShowHelp() {
    if (!m_pHelp) {
        const QString strPlaces = m_pPlaces ? m_pPlaces->Path() : QString();
        m_pHelp =
            new CHelpWindow(&m_window, QString::fromStdString(m_app.SettingsPath()), strPlaces);
    }
    if (CPropertyPage* pPage = m_window.ActivePage()) m_pHelp->ShowPage(pPage->DialogId());
    m_pHelp->show();
    m_pHelp->raise();
    m_pHelp->activateWindow();
}

void CServerControl::FollowPage() {
    CPropertyPage* pPage = m_window.ActivePage();
    if (m_pHelp && m_pHelp->isVisible() && pPage) m_pHelp->ShowPage(pPage->DialogId());
}

void CServerControl::Close() {
    if (!ConfirmStopTransfers()) return;
    StopServersIfRunning();
    m_window.EndDialog(IDCANCEL);
}

void CServerControl::OnCloseRequest() {
    // A unit that asked after the last one completed is not cut off: its end closes.
    if (m_bEnded || m_app.TransferCount() != 0) return;
    StopServersIfRunning();
    m_window.EndDialog(IDCANCEL);
}

void CServerControl::Terminate() {
    if (m_bEnded) return;
    for (QWidget* pWidget : QApplication::topLevelWidgets()) {
        auto* pDialog = qobject_cast<QDialog*>(pWidget);
        if (pDialog && pDialog != &m_window && pDialog->isVisible() && pDialog->isModal())
            pDialog->close();  // as Escape: a question answers No
    }
    StopServersIfRunning();
    m_window.EndDialog(IDCANCEL);
}

void CServerControl::OnDone() {
    // The window going away stops the servers, whichever way it ends.
    if (!m_bEnded && m_pPlaces) m_pPlaces->Save(&m_window, m_strKind);
    m_bEnded = true;
    StopServersIfRunning();
    if (m_pInhibitor) m_pInhibitor->SetInhibited(false);
}
