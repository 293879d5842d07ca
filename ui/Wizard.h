#pragma once
#include <QObject>
#include <string>

#include "base/BootEvents.h"
#include "ui/PageIds.h"

class CMainSheet;
class CORXBootApp;
class CPropertyPage;
class CWizBoot;
class CWizDownload;
class CWizPage;
class CWizSuccess;
class IFileDialog;
class IMessageBox;

// The main sheet's wizard face: seven pages that walk one user through one serial
// download, starting and stopping the servers as the user moves, and following what the
// servers report to the Downloading, Success or Cold Boot page by itself.
class CWizard : public QObject {
    Q_OBJECT
public:
    // Adds the pages, in wizard order, to a sheet in wizard form; lives as long as it.
    explicit CWizard(CMainSheet& sheet);

    // What the servers report, on the UI thread in posting order.
    void OnBootEvent(const CBootEvent& event);

    // For the pages.
    CORXBootApp& App() const;
    IMessageBox& Boxes() const;
    IFileDialog& Files() const;
    // Ends the sheet so that an advanced one is built instead.
    void AdvancedMode() const;
    // The sheet's start: true when the servers run.
    bool StartServers();
    void StopServers();

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    void ShowPage(CPropertyPage* pPage);
    CWizPage* ActivePage() const;

    CMainSheet& m_sheet;
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
