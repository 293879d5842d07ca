#include "base/EventReporter.h"

namespace {
// Replaces the view's target by a new one (or none): what is queued for the old one goes.
template <class FProc>
void Retarget(IMessagePoster& poster, std::atomic<HWND>& hWnd, bool bAttach, FProc fnProc) {
    const HWND hOld = hWnd.exchange(0);
    if (hOld != 0) poster.DestroyWindow(hOld);
    if (bAttach) hWnd = poster.CreateWindow(std::move(fnProc));
}

// The message that carries the event: its number and parameters are those a window of the
// platform would get (a log line is slot -1 of WM_BOOT_TEXT, a status event a code below).
void MessageOf(const CBootEvent& event, CMessage& msg) {
    msg.nMsg = WM_BOOT_TEXT;
    if (const auto eStatus = StatusOf(event)) {
        msg.wParam = -2 - static_cast<int>(*eStatus);
    } else if (const auto* pLabel = std::get_if<CSlotLabel>(&event)) {
        msg.wParam = pLabel->nSlot;
    } else if (const auto* pProgress = std::get_if<CSlotProgress>(&event)) {
        msg.nMsg = WM_BOOT_PROGRESS;
        msg.wParam = pProgress->nSlot;
        msg.lParam = pProgress->nPercent;
    } else if (std::holds_alternative<CCloseRequest>(event)) {
        msg.nMsg = WM_CLOSE;
    } else if (IsRecordOnly(event)) {
        msg.nMsg = WM_BOOT_EVENT;
    } else {
        msg.wParam = -1;
    }
}
}  // namespace

CEventReporter::CEventReporter(IMessagePoster& poster) : m_poster(poster) {}

CEventReporter::~CEventReporter() {
    AttachView(nullptr);
    AttachRecorder(nullptr);
    AttachTerminal(nullptr);
}

void CEventReporter::AttachView(IBootView* pView) {
    Retarget(m_poster, m_hMainWnd, pView != nullptr, [pView](CMessage& msg) {
        if (const auto* pEvent = std::any_cast<CBootEvent>(&msg.payload))
            pView->OnBootEvent(*pEvent);
    });
}

void CEventReporter::AttachRecorder(IBootView* pRecorder) {
    Retarget(m_poster, m_hRecorderWnd, pRecorder != nullptr, [pRecorder](CMessage& msg) {
        if (const auto* pEvent = std::any_cast<CBootEvent>(&msg.payload))
            pRecorder->OnBootEvent(*pEvent);
    });
}

void CEventReporter::AttachTerminal(ITerminalView* pView) {
    Retarget(m_poster, m_hTerminalWnd, pView != nullptr, [pView](CMessage& msg) {
        if (msg.nMsg == WM_SERIAL_TEXT) pView->OnSerialText(msg.bytes);
    });
}

bool CEventReporter::ViewAttached() const {
    return m_poster.IsWindow(m_hMainWnd.load());
}

void CEventReporter::Post(CBootEvent event) {
    const HWND hRecorder = m_hRecorderWnd.load();
    if (hRecorder != 0 && (StatusOf(event) || IsRecordOnly(event)) &&
        m_poster.IsWindow(hRecorder)) {
        CMessage msg;
        msg.nMsg = WM_BOOT_EVENT;
        msg.payload = event;
        m_poster.PostMessage(hRecorder, std::move(msg));
    }
    const HWND hWnd = m_hMainWnd.load();
    if (!m_poster.IsWindow(hWnd)) return;
    CMessage msg;
    MessageOf(event, msg);
    msg.payload = std::move(event);
    m_poster.PostMessage(hWnd, std::move(msg));
}

void CEventReporter::LogMessage(const char* pszFormat, ...) {
    if (!ViewAttached()) return;
    va_list args;
    va_start(args, pszFormat);
    const std::string str = FormatV(pszFormat, args);
    va_end(args);
    Post(CLogLine{str});
}

void CEventReporter::PostSerialText(const uint8_t* pBytes, size_t nCount) {
    const HWND hWnd = m_hTerminalWnd.load();
    if (!m_poster.IsWindow(hWnd)) return;
    CMessage msg;
    msg.nMsg = WM_SERIAL_TEXT;
    msg.wParam = static_cast<int64_t>(nCount);
    msg.bytes.assign(pBytes, pBytes + nCount);
    m_poster.PostMessage(hWnd, std::move(msg));
}

void CEventReporter::PostSerialFormatV(const char* pszFormat, va_list args) {
    if (!m_poster.IsWindow(m_hTerminalWnd.load())) return;
    const std::string str = FormatV(pszFormat, args);
    PostSerialText(reinterpret_cast<const uint8_t*>(str.data()), str.size());
}
