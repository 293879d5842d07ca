#include "ui/GuiFront.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "platform/EventLoop.h"
#include "platform/MessageBox.h"
#include "platform/Socket.h"
#include "ui/AddressSearchDialog.h"
#include "ui/ModalSheet.h"
#include "ui/PageIds.h"
#include "ui/Pictures.h"
#include "ui/ServerControl.h"
#include "ui/SheetWindow.h"
#include "ui/WaitCursor.h"

CGuiFront::CGuiFront(CORXBootApp& app, IMessageBox& boxes, IFileDialog& files,
                     CWindowPlaces* pPlaces)
    : m_app(app),
      m_boxes(boxes),
      m_files(files),
      m_pPlaces(pPlaces),
      m_terminal(app, boxes, files),
      m_history(app, boxes, files) {}

CGuiFront::~CGuiFront() = default;

int CGuiFront::RunSheet() {
    if (!m_bSignalsHooked) {
        m_bSignalsHooked = true;
        // SIGTERM, SIGHUP or Ctrl+C is not the user at the window: the run ends without a
        // question.
        OnTerminationSignal([this] {
            m_bTerminated = true;
            if (m_pSheet) m_pSheet->Control().Terminate();
        });
    }
    const CORXBootConfig& config = m_app.Config();
    const int nStart =
        (!config.m_bWizardMode && config.m_bTranAutoStart) ? PAGE_TRANSFER : PAGE_SELECT;
    std::unique_ptr<ISheetWindow> pSheet =
        MakeSheetWindow(CSheetServices{m_app, m_boxes, m_files, &m_inhibitor, m_pPlaces}, nStart);
    Attach(*pSheet);
    if (m_fnOnSheet) m_fnOnSheet(pSheet->Window());
    const int nResult = pSheet->Window().DoModal();
    Detach();
    pSheet.reset();
    return nResult;
}

void CGuiFront::Attach(ISheetWindow& sheet) {
    m_pSheet = &sheet;
    sheet.Control().SetShowPrompts([this] { ShowPrompts(); });
    m_app.AttachView(this);
}

void CGuiFront::Detach() {
    // Reports still queued for this sheet are dropped with it.
    m_app.AttachView(nullptr);
    m_pSheet = nullptr;
}

void CGuiFront::SetWaitCursor(bool bOn) {
    ::SetWaitCursor(bOn);
}

void CGuiFront::OnBootEvent(const CBootEvent& event) {
    if (!m_pSheet) return;
    if (std::holds_alternative<CCloseRequest>(event)) {
        m_pSheet->Control().OnCloseRequest();
    } else {
        m_pSheet->OnBootEvent(event);
    }
}

// No window exists yet: the dialog stands alone, and shows only when the search lasts.
void CGuiFront::OnAddressSearchStarted() {
    m_pSearchDialog = std::make_unique<CAddressSearchDialog>(QObject::tr("ORX Boot Server"));
    m_pSearchDialog->setWindowIcon(AppIcon());
    m_pSearchDialog->setMinimumDuration(400);
    m_pSearchDialog->setValue(0);  // starts the minimum-duration clock
    // Cancel keeps the unit address of the settings; the engine ends the search.
    QObject::connect(m_pSearchDialog.get(), &QProgressDialog::canceled,
                     [this] { m_app.CancelAddressSearch(); });
}

void CGuiFront::OnAddressTried(uint32_t dwAddr) {
    if (m_pSearchDialog) m_pSearchDialog->ShowTrying(dwAddr);
}

void CGuiFront::OnAddressSearchEnded() {
    m_pSearchDialog.reset();
}

void CGuiFront::OnArgumentRefused(const std::string& strWhy) {
    std::fprintf(stderr, "orxboot: %s\n", strWhy.c_str());
}

void CGuiFront::OnSettingsNotSaved(const std::string& strText) {
    // After a signal nobody may be there to close a box, and the run must end.
    if (m_bTerminated) {
        std::fprintf(stderr, "orxboot: %s\n", strText.c_str());
    } else {
        m_boxes.Show(strText, MB_OK | MB_ICONEXCLAMATION);
    }
}

void CGuiFront::Tell(const CPrompt& prompt) {
    if (prompt.bFollowUp) return;
    Ask(prompt, {});
}

void CGuiFront::Ask(const CPrompt& prompt, FAnswer fnAnswer) {
    // After a signal nobody may be there to answer, and the run is ending.
    if (m_bTerminated) return;
    if (!m_pSheet) {
        const int nAnswer = m_boxes.Show(prompt.strText, prompt.nType);
        if (fnAnswer) fnAnswer(nAnswer == IDYES);
        return;
    }
    m_arrPrompts.emplace_back(prompt, std::move(fnAnswer));
    if (m_arrPrompts.size() == 1 && !m_bShowingPrompts)
        QTimer::singleShot(0, &m_promptTurns, [this] { ShowPrompts(); });
}

void CGuiFront::ShowPrompts() {
    if (m_bShowingPrompts) return;  // a box's own loop got here: the open one goes on
    m_bShowingPrompts = true;
    while (!m_arrPrompts.empty() && !m_bTerminated) {
        auto [prompt, fnAnswer] = std::move(m_arrPrompts.front());
        m_arrPrompts.pop_front();
        const int nAnswer = m_boxes.Show(prompt.strText, prompt.nType);
        if (fnAnswer) fnAnswer(nAnswer == IDYES);
    }
    m_arrPrompts.clear();
    m_bShowingPrompts = false;
}
