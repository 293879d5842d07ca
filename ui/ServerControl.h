#pragma once
#include <QPointer>
#include <QString>
#include <functional>

class CHelpWindow;
class CModalSheet;
class CORXBootApp;
class CScreenSaverInhibitor;
class CWindowPlaces;
class IFileDialog;
class IMessageBox;

// What a main window is given.
struct CSheetServices {
    CORXBootApp& app;
    IMessageBox& boxes;
    IFileDialog& files;
    CScreenSaverInhibitor* pInhibitor = nullptr;  // none: the screen saver is left alone
    CWindowPlaces* pPlaces = nullptr;             // none: opens where Qt puts it
};

// What both main windows, the sheet and the wizard, do around the engine: they start and
// stop the servers, ask before running transfers end, keep the screen saver off while a
// serial download runs, show the help of the page shown, and every way they end stops the
// servers first and keeps where the window was.
class CServerControl {
public:
    // strKind names the window's place: the two kinds differ in size and content.
    CServerControl(CModalSheet& window, const CSheetServices& services, const QString& strKind);
    ~CServerControl();

    CORXBootApp& App() const { return m_app; }
    IMessageBox& Boxes() const { return m_boxes; }
    IFileDialog& Files() const { return m_files; }

    // The help button and F1, and the window where it was; once its pages are in.
    void Install();
    // Once the window is on screen, so that the terminal opens in front of it.
    void OpenTerminalIfSet();
    // True when the servers run; after a failed start (the user has been told why) what
    // it opened is closed again.
    bool Start();
    void StopServersIfRunning();
    // True when no transfer runs, or the user agrees to stop those that do.
    bool ConfirmStopTransfers();
    // What a status event changes for every window.
    void OnStatus();
    // Shows the boxes the engine asked for that are still waiting (the face's).
    void SetShowPrompts(std::function<void()> fnShowPrompts) {
        m_fnShowPrompts = std::move(fnShowPrompts);
    }
    // Sets WIZARDMODE and ends the window so that start-up builds the other kind.
    void SwitchMode(bool bWizard);
    void ShowAbout();
    // The help of the page shown, in a window beside this one.
    void ShowHelp();
    // An open help follows the page.
    void FollowPage();
    // Close, Escape or the close box: asks first when transfers run.
    void Close();
    // The last transfer completed with TRANCLOSEDONE set: the window ends without a
    // question, unless a unit has asked since.
    void OnCloseRequest();
    // SIGTERM or Ctrl+C: the servers stop and the window ends; questions open answer No.
    void Terminate();
    // From the window's done(), before it ends.
    void OnDone();

private:
    CModalSheet& m_window;
    CORXBootApp& m_app;
    IMessageBox& m_boxes;
    IFileDialog& m_files;
    CScreenSaverInhibitor* m_pInhibitor;
    CWindowPlaces* m_pPlaces;
    const QString m_strKind;
    QPointer<CHelpWindow> m_pHelp;
    std::function<void()> m_fnShowPrompts;
    bool m_bEnded = false;
};
