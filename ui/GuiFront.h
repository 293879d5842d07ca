#pragma once
#include <QObject>
#include <deque>
#include <functional>
#include <memory>

#include "app/ORXBootApp.h"
#include "platform/Messages.h"
#include "ui/AddressSearchDialog.h"
#include "ui/HistoryWnd.h"
#include "ui/ScreenSaverInhibitor.h"
#include "ui/TerminalWnd.h"

class CModalSheet;
class ISheetWindow;
class IFileDialog;
class CWindowPlaces;

// The windowed face: each RunSheet shows a new main sheet (advanced or wizard, as the
// settings say) until it ends, and hands it what the engine reports meanwhile.
class CGuiFront : public IAppFront, public IBootView {
public:
    // pPlaces, when given, keeps the windows' places between runs.
    CGuiFront(CORXBootApp& app, IMessageBox& boxes, IFileDialog& files,
              CWindowPlaces* pPlaces = nullptr);
    ~CGuiFront() override;

    int RunSheet() override;
    void SetWaitCursor(bool bOn) override;
    void OpenTerminal() override { m_terminal.OpenTerminal(); }
    void DestroyTerminal() override { m_terminal.DestroyTerminal(); }
    CTerminalWnd& Terminal() { return m_terminal; }
    void OpenHistory() override { m_history.Open(); }
    CHistoryWnd& History() { return m_history; }

    // Routes what the engine reports to the sheet until Detach (RunSheet does both).
    void Attach(ISheetWindow& sheet);
    void Detach();
    // Runs with every new sheet just before it is shown (tests drive the sheet from here).
    std::function<void(CModalSheet&)> m_fnOnSheet;

    void OnBootEvent(const CBootEvent& event) override;

    void OnAddressSearchStarted() override;
    void OnAddressTried(uint32_t dwAddr) override;
    void OnAddressSearchEnded() override;
    void OnArgumentRefused(const std::string& strWhy) override;
    void OnSettingsNotSaved(const std::string& strText) override;
    // While a sheet is up, boxes show from a turn of the event loop of their own, one at a
    // time and in order; before the first sheet, at once. One failure shows one box.
    void Tell(const CPrompt& prompt) override;
    void Ask(const CPrompt& prompt, FAnswer fnAnswer) override;
    CAddressSearchDialog* AddressSearchDialog() const { return m_pSearchDialog.get(); }

private:
    void ShowPrompts();

    CORXBootApp& m_app;
    IMessageBox& m_boxes;
    IFileDialog& m_files;
    CWindowPlaces* m_pPlaces;
    CScreenSaverInhibitor m_inhibitor;
    CTerminalWnd m_terminal;  // lives for the run, across sheets
    CHistoryWnd m_history;
    ISheetWindow* m_pSheet = nullptr;
    bool m_bSignalsHooked = false;
    bool m_bTerminated = false;                             // a signal ended the run
    std::unique_ptr<CAddressSearchDialog> m_pSearchDialog;  // the start-up address search
    std::deque<std::pair<CPrompt, FAnswer>> m_arrPrompts;   // waiting to be shown
    bool m_bShowingPrompts = false;
    QObject m_promptTurns;  // the turns that show them go with the face
};
