#pragma once

#include "base/BootEvents.h"
#include "ui/PageIds.h"
#include "ui/ServerControl.h"
#include "ui/SheetWindow.h"
#include "ui/WizardSheet.h"

class CORXBootApp;
class CPropertyPage;
class CWizBoot;
class CWizDownload;
class CWizPage;
class CWizSuccess;
class IFileDialog;
class IMessageBox;

// The main window in wizard mode: seven pages that walk one user through one serial
// download, starting and stopping the servers as the user moves, and following what the
// servers report to the Downloading, Success or Cold Boot page by itself.
class CWizard : public CWizardSheet, public ISheetWindow {
    Q_OBJECT
public:
    explicit CWizard(const CSheetServices& services);
    ~CWizard() override;

    CModalSheet& Window() override { return *this; }
    void OnBootEvent(const CBootEvent& event) override;
    CServerControl& Control() override { return m_control; }

    // For the pages.
    CORXBootApp& App() const { return m_control.App(); }
    IMessageBox& Boxes() const { return m_control.Boxes(); }
    IFileDialog& Files() const { return m_control.Files(); }
    // Ends the wizard so that an advanced sheet is built instead.
    void AdvancedMode() { m_control.SwitchMode(false); }
    // True when the servers run.
    bool StartServers() { return m_control.Start(); }
    void StopServers();

    void done(int nResult) override;

protected:
    void OnInitDialog() override;
    void OnCommand(int nId) override;
    void OnActivePageChanged() override;

private:
    void ShowPage(CPropertyPage* pPage);
    CWizPage* ActiveWizPage() const;

    CServerControl m_control;
    CWizBoot* m_pBoot = nullptr;
    CWizDownload* m_pDownload = nullptr;
    CWizSuccess* m_pSuccess = nullptr;
    // Non-zero while the wizard changes the page by itself: texts that arrive meanwhile
    // (from a message box's loop) are dropped, so they cannot start a second change.
    int m_nSwitchGuard = 0;
    // Set when the wizard stops running servers, until their halt is reported: the ends
    // of transfers that the stop cut short are not news to the user who left.
    bool m_bStopping = false;
};
