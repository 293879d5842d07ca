#include "ui/GuiFront.h"

#include <QApplication>
#include <cstdlib>

#include "platform/EventLoop.h"
#include "platform/WindowSystem.h"
#include "ui/MainSheet.h"
#include "ui/Pictures.h"
#include "ui/WaitCursor.h"

CGuiFront::CGuiFront(CORXBootApp& app, CWindowSystem& windows, IMessageBox& boxes,
                     IFileDialog& files)
    : m_app(app), m_windows(windows), m_boxes(boxes), m_files(files), m_terminal(app, windows) {}

CGuiFront::~CGuiFront() = default;

int CGuiFront::RunSheet() {
    if (!m_bSignalsHooked) {
        m_bSignalsHooked = true;
        // SIGTERM or Ctrl+C ends the run as closing the window does.
        OnTerminationSignal([this] {
            if (m_pSheet) m_pSheet->OnCloseRequest();
        });
    }
    const CORXBootConfig& config = m_app.Config();
    const int nStart =
        (!config.m_bWizardMode && config.m_bTranAutoStart) ? PAGE_TRANSFER : PAGE_SELECT;
    auto pSheet = std::make_unique<CMainSheet>(
        CMainSheet::CServices{m_app, m_boxes, m_files, &m_inhibitor}, nStart);
    Attach(*pSheet);
    if (m_fnOnSheet) m_fnOnSheet(*pSheet);
    const int nResult = pSheet->DoModal();
    Detach();
    pSheet.reset();
    return nResult;
}

void CGuiFront::Attach(CMainSheet& sheet) {
    m_pSheet = &sheet;
    m_hWnd = m_windows.CreateWindow([this](CMessage& msg) { Dispatch(msg); });
    m_app.m_hMainWnd = m_hWnd;
}

void CGuiFront::Detach() {
    // Reports still queued for this sheet are dropped with its window.
    m_app.m_hMainWnd = 0;
    m_windows.DestroyWindow(m_hWnd);
    m_hWnd = 0;
    m_pSheet = nullptr;
}

void CGuiFront::SetWaitCursor(bool bOn) {
    ::SetWaitCursor(bOn);
}

void CGuiFront::Dispatch(CMessage& msg) {
    if (!m_pSheet) return;
    switch (msg.nMsg) {
        case WM_BOOT_TEXT:
            m_pSheet->OnBootText(static_cast<int>(msg.wParam), msg.strText);
            break;
        case WM_BOOT_PROGRESS:
            m_pSheet->OnBootProgress(static_cast<int>(msg.wParam), static_cast<int>(msg.lParam));
            break;
        case WM_CLOSE:
            m_pSheet->OnCloseRequest();
            break;
        case WM_BOOT_SOCKET:
            m_app.OnNetSocket(msg.wParam, msg.lParam);
            break;
        case WM_TIMER:
            m_app.OnNetTimer(static_cast<uint32_t>(msg.wParam));
            break;
        default:
            break;
    }
}

bool HasDisplay() {
    for (const char* pszName : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* psz = std::getenv(pszName);
        if (psz && *psz) return true;
    }
    return false;
}
