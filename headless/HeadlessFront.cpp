#include "headless/HeadlessFront.h"

#include "base/TerminalText.h"
#include "platform/EventLoop.h"
#include "platform/MessageBox.h"

CHeadlessFront::CHeadlessFront(CORXBootApp& app, std::FILE* pOut, std::FILE* pErr, bool bOutIsTty,
                               bool bErrIsTty)
    : m_app(app), m_pOut(pOut), m_pErr(pErr), m_bOutIsTty(bOutIsTty), m_bErrIsTty(bErrIsTty) {
    m_arrSlotPercent.fill(-1);
}

int CHeadlessFront::RunSheet() {
    m_app.AttachView(this);
    if (m_app.Config().m_bTerminal) m_app.AttachTerminal(this);
    OnTerminationSignal([this] { Close(); }, true);

    if (!m_app.StartServers()) {
        if (m_app.Config().m_nBootNet == 0 && m_app.Config().m_nBootSerial == 0 &&
            !m_app.Config().m_strBootFile.empty()) {
            std::fprintf(m_pErr,
                         "orxboot: no boot method chosen: use /n for Ethernet or /c<port> for "
                         "serial boot\n");
        }
        m_app.StopServers();
        ProcessPendingEvents();
        m_nExitCode = 1;
    } else {
        m_nExitCode = RunEventLoop();
        ProcessPendingEvents();
    }
    ClearBar();
    m_app.AttachView(nullptr);
    m_app.AttachTerminal(nullptr);
    return IDOK;
}

void CHeadlessFront::DestroyTerminal() {
    m_app.AttachTerminal(nullptr);
}

// Start-up may take a minute of echo requests before the servers start.
void CHeadlessFront::OnAddressSearchStarted() {
    std::fputs("orxboot: looking for a free unit address...\n", m_pErr);
    std::fflush(m_pErr);
}

void CHeadlessFront::OnArgumentRefused(const std::string& strWhy) {
    std::fprintf(m_pErr, "orxboot: %s\n", strWhy.c_str());
}

// In the log and where a person watching sees it, as a failed server start is.
void CHeadlessFront::OnSettingsNotSaved(const std::string& strText) {
    PrintLog(strText);
    std::fprintf(m_pErr, "%s\n", strText.c_str());
    std::fflush(m_pErr);
}

void CHeadlessFront::Tell(const CPrompt& prompt) {
    m_box.Show(prompt.strText, prompt.nType);
}

void CHeadlessFront::Ask(const CPrompt& prompt, FAnswer fnAnswer) {
    fnAnswer(m_box.Show(prompt.strText, prompt.nType) == IDYES);
}

void CHeadlessFront::OnHistoryNotKept(const std::string& strText) {
    ClearBar();
    EndTerminalLine();
    std::fprintf(m_pErr, "orxboot: %s\n", strText.c_str());
    std::fflush(m_pErr);
}

void CHeadlessFront::Close() {
    if (m_bClosing) return;
    m_bClosing = true;
    m_app.StopServers();
    QuitEventLoop(0);
}

void CHeadlessFront::OnBootEvent(const CBootEvent& event) {
    if (const auto* pLine = std::get_if<CLogLine>(&event)) {
        if (!pLine->strText.empty()) PrintLog(pLine->strText);
    } else if (const auto* pLabel = std::get_if<CSlotLabel>(&event)) {
        if (pLabel->nSlot >= 0 && pLabel->nSlot < BOOT_VISIBLE_SLOTS)
            m_arrSlotNames[static_cast<size_t>(pLabel->nSlot)] = pLabel->strName;
    } else if (const auto* pProgress = std::get_if<CSlotProgress>(&event)) {
        ShowProgress(pProgress->nSlot, pProgress->nPercent);
    } else if (std::holds_alternative<CCloseRequest>(event)) {
        Close();
    } else if (const auto eStatus = StatusOf(event)) {
        ShowStatus(*eStatus);
    }
}

void CHeadlessFront::OnSerialText(const std::vector<uint8_t>& bytes) {
    ClearBar();
    const std::string strShown =
        TerminalDisplayText(bytes.data(), bytes.size(), m_bTerminalAfterCr);
    std::fwrite(strShown.data(), 1, strShown.size(), m_pErr);
    std::fflush(m_pErr);
    if (!strShown.empty()) m_bTerminalMidLine = strShown.back() != '\n';
    DrawBar();
}

void CHeadlessFront::PrintLog(const std::string& strLine) {
    if (!m_bShowLog) return;
    ClearBar();
    const std::string strShown = m_bOutIsTty ? ControlBytesShown(strLine) : strLine;
    std::fprintf(m_pOut, "%s\n", strShown.c_str());
    std::fflush(m_pOut);
    DrawBar();
}

void CHeadlessFront::ShowProgress(int nSlot, int nPercent) {
    if (nSlot < 0 || nSlot >= BOOT_VISIBLE_SLOTS) return;
    const size_t i = static_cast<size_t>(nSlot);
    if (m_arrSlotPercent[i] == nPercent) return;
    m_arrSlotPercent[i] = nPercent;
    if (m_bErrIsTty) {
        DrawBar();
    } else if (nPercent >= 0) {
        EndTerminalLine();
        std::fprintf(m_pErr, "progress: slot %d %s %d%%\n", nSlot,
                     ControlBytesShown(m_arrSlotNames[i]).c_str(), nPercent);
        std::fflush(m_pErr);
    }
}

void CHeadlessFront::ShowStatus(EBootStatus eStatus) {
    const char* psz = "";
    switch (eStatus) {
        case EBootStatus::TransferStarted:
            psz = "transfer started";
            break;
        case EBootStatus::TransferCompleted:
            psz = "transfer done";
            break;
        case EBootStatus::TransferFailed:
            psz = "transfer failed";
            break;
        case EBootStatus::ServersStarted:
            psz = "servers started";
            break;
        case EBootStatus::ServersHalted:
            psz = "servers halted";
            break;
    }
    ClearBar();
    EndTerminalLine();
    std::fprintf(m_pErr, "status: %s\n", psz);
    std::fflush(m_pErr);
    DrawBar();
}

// Our own lines on stderr start on a line of their own, not after a unit's half line.
void CHeadlessFront::EndTerminalLine() {
    if (!m_bTerminalMidLine) return;
    std::fputc('\n', m_pErr);
    m_bTerminalMidLine = false;
}

void CHeadlessFront::ClearBar() {
    if (!m_bBarShown) return;
    std::fputs("\r\033[K", m_pErr);
    m_bBarShown = false;
}

void CHeadlessFront::DrawBar() {
    // Redrawing starts with a carriage return, which would wipe a unit's half line.
    if (!m_bErrIsTty || m_bTerminalMidLine) return;
    std::string strBar;
    for (size_t i = 0; i < m_arrSlotNames.size(); ++i) {
        if (m_arrSlotNames[i].empty() || m_arrSlotPercent[i] < 0) continue;
        const int nFilled = m_arrSlotPercent[i] / 10;
        strBar += "[" + ControlBytesShown(m_arrSlotNames[i]) + " " + std::string(nFilled, '#') +
                  std::string(10 - nFilled, '.') + " " + std::to_string(m_arrSlotPercent[i]) +
                  "%] ";
    }
    std::fputs("\r\033[K", m_pErr);
    std::fputs(strBar.c_str(), m_pErr);
    std::fflush(m_pErr);
    m_bBarShown = !strBar.empty();
}
