#pragma once

#include "base/BootEvents.h"
#include "ui/PageIds.h"
#include "ui/PropertySheet.h"
#include "ui/ServerControl.h"
#include "ui/SheetWindow.h"

class CChosenMethods;
class CORXBootConfig;
class CPropTransfer;

// The main window in advanced mode: the four pages over the engine. It shows what the
// engine reports and calls its start, stop and settings operations; every way it ends
// stops the servers first, and every way the user ends running transfers asks first.
class CMainSheet : public CPropertySheet, public ISheetWindow {
    Q_OBJECT
public:
    CMainSheet(const CSheetServices& services, int nStartPage);
    ~CMainSheet() override;

    CModalSheet& Window() override { return *this; }
    void OnBootEvent(const CBootEvent& event) override;
    CServerControl& Control() override { return m_control; }

    void UpdateTitle();
    void EnableStart(bool bEnable);
    CORXBootApp& App() const { return m_control.App(); }
    CORXBootConfig& Config() const;
    bool ServersRunning() const;

    void done(int nResult) override;

protected:
    void OnInitDialog() override;
    void OnCommand(int nId) override;
    void OnActivePageChanged() override;

private:
    void StartStop();
    void ApplyNow();
    void UpdateStartButton();

    CServerControl m_control;
    CChosenMethods* m_pMethods = nullptr;
    CPropTransfer* m_pTransfer = nullptr;
};
