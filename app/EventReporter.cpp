#include "app/EventReporter.h"

#include "app/Config.h"
#include "image/TransferFile.h"
#include "server/TransferTable.h"

namespace {
// (100 x sent + length / 2) / length, halves rounded up.
int32_t PercentOf(uint32_t nSent, uint32_t nLength) {
    if (nLength == 0) return -1;
    return static_cast<int32_t>((100ull * nSent + nLength / 2) / nLength);
}

// Replaces the view's target by a new one (or none): what is queued for the old one goes.
template <class FProc>
void Retarget(IMessagePoster& poster, std::atomic<HWND>& hWnd, bool bAttach, FProc fnProc) {
    const HWND hOld = hWnd.exchange(0);
    if (hOld != 0) poster.DestroyWindow(hOld);
    if (bAttach) hWnd = poster.CreateWindow(std::move(fnProc));
}
}  // namespace

CEventReporter::CEventReporter(IMessagePoster& poster, CTransferTable& transfers,
                               const CTransferFile& image, const CORXBootConfig& config,
                               const std::atomic<bool>& bServersRunning)
    : m_poster(poster),
      m_transfers(transfers),
      m_image(image),
      m_config(config),
      m_bServersRunning(bServersRunning) {}

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

void CEventReporter::LogMessage(const char* pszFormat, ...) {
    if (!m_poster.IsWindow(m_hMainWnd.load())) return;
    va_list args;
    va_start(args, pszFormat);
    const std::string str = FormatV(pszFormat, args);
    va_end(args);
    PostBootText(BOOT_SLOT_LOG, str);
}

void CEventReporter::LogTransferMessage(int nSlot, const char* pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    const std::string strText = FormatV(pszFormat, args);
    va_end(args);
    const std::string strLine = m_transfers.Locked([&](const CTransferTable::CList& arr) {
        if (nSlot < 0 || static_cast<size_t>(nSlot) >= arr.size()) return std::string();
        return arr[static_cast<size_t>(nSlot)]->m_strName + ": " + strText;
    });
    if (!strLine.empty()) PostBootText(BOOT_SLOT_LOG, strLine);
}

void CEventReporter::PostProgress(int nSlot) {
    const HWND hWnd = m_hMainWnd.load();
    if (nSlot < 0 || !m_poster.IsWindow(hWnd)) return;
    m_transfers.Locked([&](const CTransferTable::CList& arr) {
        CMessage msg;
        msg.nMsg = WM_BOOT_PROGRESS;
        msg.wParam = nSlot;
        msg.lParam = -1;
        if (static_cast<size_t>(nSlot) < arr.size()) {
            CTransferNode& node = *arr[static_cast<size_t>(nSlot)];
            const int32_t nPercent = PercentOf(node.m_nSent, m_image.Length());
            if (nPercent == node.m_nLastPercent) return;
            node.m_nLastPercent = nPercent;
            msg.lParam = nPercent;
        }
        // Posted under the lock so that two threads' progress keeps the list's order.
        m_poster.PostMessage(hWnd, std::move(msg));
    });
}

void CEventReporter::PostStatusEvent(int nCode) {
    for (int nSlot = 0; nSlot < BOOT_VISIBLE_SLOTS; ++nSlot) {
        const std::string strName = m_transfers.Locked([&](const CTransferTable::CList& arr) {
            const size_t i = static_cast<size_t>(nSlot);
            return i < arr.size() ? arr[i]->m_strName : std::string();
        });
        PostBootText(nSlot, strName);
        PostProgress(nSlot);
    }
    PostBootText(nCode, "");
    if (nCode == BOOT_EVENT_TRANSFER_DONE && m_config.m_bTranCloseDone &&
        m_transfers.Count() == 0) {
        const HWND hWnd = m_hMainWnd.load();
        if (m_poster.IsWindow(hWnd)) {
            CMessage msg;
            msg.nMsg = WM_CLOSE;
            m_poster.PostMessage(hWnd, std::move(msg));
        }
    }
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

void CEventReporter::PostSerialFormat(const char* pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    PostSerialFormatV(pszFormat, args);
    va_end(args);
}

void CEventReporter::PostSerialFormatV(const char* pszFormat, va_list args) {
    if (!m_bServersRunning.load() || !m_poster.IsWindow(m_hTerminalWnd.load())) return;
    const std::string str = FormatV(pszFormat, args);
    PostSerialText(reinterpret_cast<const uint8_t*>(str.data()), str.size());
}
