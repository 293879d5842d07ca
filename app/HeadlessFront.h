#pragma once
#include <array>
#include <cstdio>
#include <string>

#include "app/ORXBootApp.h"

class CWindowSystem;

// The face without a window: log lines on stdout, progress and status on stderr,
// message boxes on stderr. It starts the servers at once and ends when they are done.
class CHeadlessFront : public IAppFront {
public:
    CHeadlessFront(CORXBootApp& app, CWindowSystem& windows, std::FILE* pOut, std::FILE* pErr,
                   bool bOutIsTty, bool bErrIsTty);
    int RunSheet() override;
    bool HasSheet() const override { return false; }
    bool TerminalExists() const override { return m_hTerminal != 0; }
    void DestroyTerminal() override;

    void OnMessage(CMessage& msg);
    void OnTerminalText(const CMessage& msg);

private:
    void PrintLog(const std::string& strLine);
    void ShowProgress(int nSlot, int nPercent);
    void ShowStatus(int nCode);
    void EndTerminalLine();
    void ClearBar();
    void DrawBar();
    void Close();

    CORXBootApp& m_app;
    CWindowSystem& m_windows;
    std::FILE* m_pOut;
    std::FILE* m_pErr;
    bool m_bOutIsTty;
    bool m_bErrIsTty;
    HWND m_hMain = 0;
    HWND m_hTerminal = 0;
    bool m_bBarShown = false;
    bool m_bClosing = false;
    bool m_bTerminalAfterCr = false;
    bool m_bTerminalMidLine = false;
    std::array<std::string, 5> m_arrSlotNames;
    std::array<int, 5> m_arrSlotPercent{-1, -1, -1, -1, -1};
};

// Text from the network or a port made harmless for a terminal: control bytes as "{1B}".
std::string MakePrintable(const std::string& str);
