#include "base/EventReporter.h"

namespace {
// Replaces the view's target by a new one (or none): what is queued for the old one goes.
template <class FProc>
void Retarget(IMessagePoster& poster, std::atomic<HWND>& hWnd, bool bAttach, FProc fnProc) {
    const HWND hOld = hWnd.exchange(0);
    if (hOld != 0) poster.DestroyWindow(hOld);
    if (bAttach) hWnd = poster.CreateWindow(std::move(fnProc));
}
}  // namespace

CEventReporter::CEventReporter(IMessagePoster& poster) : m_poster(poster) {}

CEventReporter::~CEventReporter() {
    AttachView(nullptr);
    AttachTerminal(nullptr);
}

void CEventReporter::AttachView(IBootView* pView) {
    Retarget(m_poster, m_hMainWnd, pView != nullptr, [pView](CMessage& msg) {
        if (msg.nMsg == WM_BOOT_TEXT) {
            pView->OnBootText(static_cast<int>(msg.wParam), msg.strText);
        } else if (msg.nMsg == WM_BOOT_PROGRESS) {
            pView->OnBootProgress(static_cast<int>(msg.wParam), static_cast<int>(msg.lParam));
        } else if (msg.nMsg == WM_CLOSE) {
            pView->OnCloseRequest();
        }
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

void CEventReporter::PostBootText(int nWParam, const std::string& strText) {
    const HWND hWnd = m_hMainWnd.load();
    if (!m_poster.IsWindow(hWnd)) return;
    CMessage msg;
    msg.nMsg = WM_BOOT_TEXT;
    msg.wParam = nWParam;
    msg.strText = strText;
    if (!strText.empty()) msg.strText += "\r\n";
    m_poster.PostMessage(hWnd, std::move(msg));
}

void CEventReporter::PostSlotProgress(int nSlot, int nPercent) {
    const HWND hWnd = m_hMainWnd.load();
    if (!m_poster.IsWindow(hWnd)) return;
    CMessage msg;
    msg.nMsg = WM_BOOT_PROGRESS;
    msg.wParam = nSlot;
    msg.lParam = nPercent;
    m_poster.PostMessage(hWnd, std::move(msg));
}

void CEventReporter::RequestClose() {
    const HWND hWnd = m_hMainWnd.load();
    if (!m_poster.IsWindow(hWnd)) return;
    CMessage msg;
    msg.nMsg = WM_CLOSE;
    m_poster.PostMessage(hWnd, std::move(msg));
}

void CEventReporter::LogMessage(const char* pszFormat, ...) {
    if (!ViewAttached()) return;
    va_list args;
    va_start(args, pszFormat);
    const std::string str = FormatV(pszFormat, args);
    va_end(args);
    PostBootText(BOOT_SLOT_LOG, str);
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
