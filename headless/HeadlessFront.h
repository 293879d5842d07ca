#pragma once
#include <array>
#include <cstdio>
#include <string>

#include "app/ORXBootApp.h"
#include "platform/MessageBox.h"

// The face without a window: log lines on stdout, progress and status on stderr,
// message boxes on stderr. It starts the servers at once and ends when they are done.
class CHeadlessFront : public IAppFront, public IBootView, public ITerminalView {
public:
    CHeadlessFront(CORXBootApp& app, std::FILE* pOut, std::FILE* pErr, bool bOutIsTty,
                   bool bErrIsTty);
    int RunSheet() override;
    bool HasSheet() const override { return false; }
    void DestroyTerminal() override;
    void OnAddressSearchStarted() override;
    void OnArgumentRefused(const std::string& strWhy) override;
    void OnSettingsNotSaved(const std::string& strText) override;
    void OnHistoryNotKept(const std::string& strText) override;
    int ExitCode() const override { return m_nExitCode; }
    // Said on stderr where it stands among the other lines; a question is answered Yes.
    void Tell(const CPrompt& prompt) override;
    void Ask(const CPrompt& prompt, FAnswer fnAnswer) override;
    // Off: log lines are not printed (standard output carries the event stream instead).
    void ShowLog(bool bShow) { m_bShowLog = bShow; }

    void OnBootEvent(const CBootEvent& event) override;
    void OnSerialText(const std::vector<uint8_t>& bytes) override;

private:
    void PrintLog(const std::string& strLine);
    void ShowProgress(int nSlot, int nPercent);
    void ShowStatus(EBootStatus eStatus);
    void EndTerminalLine();
    void ClearBar();
    void DrawBar();
    void Close();

    CORXBootApp& m_app;
    std::FILE* m_pOut;
    std::FILE* m_pErr;
    bool m_bOutIsTty;
    bool m_bErrIsTty;
    CStderrMessageBox m_box{m_pErr};
    bool m_bShowLog = true;
    int m_nExitCode = 0;
    bool m_bBarShown = false;
    bool m_bClosing = false;
    bool m_bTerminalAfterCr = false;
    bool m_bTerminalMidLine = false;
    std::array<std::string, BOOT_VISIBLE_SLOTS> m_arrSlotNames;
    std::array<int, BOOT_VISIBLE_SLOTS> m_arrSlotPercent;  // -1: no transfer
};
