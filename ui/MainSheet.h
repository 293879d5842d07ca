#pragma once
#include <QPointer>
#include <functional>
#include <string>

#include "base/BootEvents.h"
#include "ui/PageIds.h"
#include "ui/PropertySheet.h"

class CORXBootApp;
class CChosenMethods;
class CORXBootConfig;
class CPropTransfer;
class CScreenSaverInhibitor;
class CWindowPlaces;
class CHelpWindow;
class CWizard;
class IFileDialog;
class IMessageBox;

// The main window: the advanced pages (or the wizard) over the engine. It shows what the
// engine reports and calls its start, stop and settings operations; every way it ends
// stops the servers first, and every way the user ends running transfers asks first.
class CMainSheet : public CPropertySheet {
    Q_OBJECT
public:
    struct CServices {
        CORXBootApp& app;
        IMessageBox& boxes;
        IFileDialog& files;
        CScreenSaverInhibitor* pInhibitor = nullptr;  // none: the screen saver is left alone
        CWindowPlaces* pPlaces = nullptr;             // none: opens where Qt puts it
    };
    CMainSheet(const CServices& services, int nStartPage);
    ~CMainSheet() override;

    // What the engine reports, on the UI thread in posting order.
    void OnBootEvent(const CBootEvent& event);
    // The last transfer completed with TRANCLOSEDONE set: the sheet ends without a question,
    // unless a unit has asked since.
    void OnCloseRequest();
    // SIGTERM or Ctrl+C: the servers stop and the sheet ends; questions open answer No.
    void Terminate();

    void UpdateTitle();
    void StopServersIfRunning();
    // True when no transfer runs, or the user agrees to stop those that do.
    bool ConfirmStopTransfers();
    // True when the servers run; after a failed start (the user has been told why) what
    // it opened is closed again.
    bool Start();
    // Shows the boxes the engine asked for that are still waiting (the face's).
    void SetShowPrompts(std::function<void()> fnShowPrompts) {
        m_fnShowPrompts = std::move(fnShowPrompts);
    }
    // Sets WIZARDMODE and ends the sheet so that start-up builds the other kind.
    void SwitchMode(bool bWizard);
    void ShowAbout();
    // The help of the page shown, in a window beside the sheet.
    void ShowHelp();
    void EnableStart(bool bEnable);

    CORXBootApp& App() const { return m_app; }
    CORXBootConfig& Config() const;
    bool ServersRunning() const;
    bool SocketsAvailable() const;
    bool SettingsReadOnly() const;
    IMessageBox& Boxes() const { return m_boxes; }
    IFileDialog& Files() const { return m_files; }

    void done(int nResult) override;

protected:
    void OnInitDialog() override;
    void OnCommand(int nId) override;
    void OnClose() override;
    void OnActivePageChanged() override;

private:
    QString PlaceKind() const;
    void StartStop();
    void ApplyNow();
    void UpdateStartButton();
    void UpdateScreenSaver();

    CORXBootApp& m_app;
    IMessageBox& m_boxes;
    IFileDialog& m_files;
    CScreenSaverInhibitor* m_pInhibitor;
    CWindowPlaces* m_pPlaces;
    const bool m_bWizard;
    CChosenMethods* m_pMethods = nullptr;
    CPropTransfer* m_pTransfer = nullptr;
    CWizard* m_pWizard = nullptr;  // the wizard form's pages
    QPointer<CHelpWindow> m_pHelp;
    bool m_bEnded = false;
    std::function<void()> m_fnShowPrompts;
};
