#include <cstdio>
#include <vector>

#include "app/ORXBootApp.h"
#include "net/TransferNode.h"
#include "platform/LastError.h"

namespace {
std::string FormatV(const char* pszFormat, va_list args) {
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(nullptr, 0, pszFormat, copy);
    va_end(copy);
    if (n <= 0) return {};
    std::string str(static_cast<size_t>(n) + 1, '\0');
    std::vsnprintf(str.data(), str.size(), pszFormat, args);
    str.resize(static_cast<size_t>(n));
    return str;
}

// (100 x sent + length / 2) / length, halves rounded up.
int32_t PercentOf(uint32_t nSent, uint32_t nLength) {
    if (nLength == 0) return -1;
    return static_cast<int32_t>((100ull * nSent + nLength / 2) / nLength);
}
}  // namespace

std::string FormatErrorText(uint32_t dwCode) {
    if (dwCode == 0) return "No Error Code";
    std::string strText = SystemErrorText(dwCode);
    if (strText.empty()) strText = "Error Code:";
    return strText + " (" + std::to_string(static_cast<int32_t>(dwCode)) + ")";
}

void CORXBootApp::PostBootText(int nWParam, const std::string& strText) {
    const HWND hWnd = m_hMainWnd.load();
    if (!m_sys.pPoster->IsWindow(hWnd)) return;
    CMessage msg;
    msg.nMsg = WM_BOOT_TEXT;
    msg.wParam = nWParam;
    msg.strText = strText;
    if (!strText.empty()) msg.strText += "\r\n";
    m_sys.pPoster->PostMessage(hWnd, std::move(msg));
}

void CORXBootApp::LogMessage(const char* pszFormat, ...) {
    if (!m_sys.pPoster->IsWindow(m_hMainWnd.load())) return;
    va_list args;
    va_start(args, pszFormat);
    const std::string str = FormatV(pszFormat, args);
    va_end(args);
    PostBootText(BOOT_SLOT_LOG, str);
}

void CORXBootApp::LogTransferMessage(int nSlot, const char* pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    const std::string strText = FormatV(pszFormat, args);
    va_end(args);
    std::string strLine;
    {
        std::lock_guard<std::mutex> guard(m_lockTransfers);
        if (nSlot < 0 || static_cast<size_t>(nSlot) >= m_arrTransfers.size()) return;
        strLine = m_arrTransfers[static_cast<size_t>(nSlot)]->m_strName + ": " + strText;
    }
    PostBootText(BOOT_SLOT_LOG, strLine);
}

void CORXBootApp::PostProgress(int nSlot) {
    const HWND hWnd = m_hMainWnd.load();
    if (nSlot < 0 || !m_sys.pPoster->IsWindow(hWnd)) return;
    CMessage msg;
    msg.nMsg = WM_BOOT_PROGRESS;
    msg.wParam = nSlot;
    {
        std::lock_guard<std::mutex> guard(m_lockTransfers);
        if (static_cast<size_t>(nSlot) < m_arrTransfers.size()) {
            CTransferNode& node = *m_arrTransfers[static_cast<size_t>(nSlot)];
            const int32_t nPercent = PercentOf(node.m_nSent, m_file.Length());
            if (nPercent == node.m_nLastPercent) return;
            node.m_nLastPercent = nPercent;
            msg.lParam = nPercent;
        } else {
            msg.lParam = -1;
        }
        // Posted under the lock so that two threads' progress keeps the list's order.
        m_sys.pPoster->PostMessage(hWnd, std::move(msg));
    }
}

void CORXBootApp::PostStatusEvent(int nCode) {
    for (int nSlot = 0; nSlot < 5; ++nSlot) {
        std::string strName;
        {
            std::lock_guard<std::mutex> guard(m_lockTransfers);
            if (static_cast<size_t>(nSlot) < m_arrTransfers.size())
                strName = m_arrTransfers[static_cast<size_t>(nSlot)]->m_strName;
        }
        PostBootText(nSlot, strName);
        PostProgress(nSlot);
    }
    PostBootText(nCode, "");
    if (nCode == BOOT_EVENT_TRANSFER_DONE && m_config.m_bTranCloseDone && TransferCount() == 0) {
        const HWND hWnd = m_hMainWnd.load();
        if (m_sys.pPoster->IsWindow(hWnd)) {
            CMessage msg;
            msg.nMsg = WM_CLOSE;
            m_sys.pPoster->PostMessage(hWnd, std::move(msg));
        }
    }
}

void CORXBootApp::PostSerialText(const uint8_t* pBytes, size_t nCount) {
    const HWND hWnd = m_hTerminalWnd.load();
    if (!m_sys.pPoster->IsWindow(hWnd)) return;
    CMessage msg;
    msg.nMsg = WM_SERIAL_TEXT;
    msg.wParam = static_cast<int64_t>(nCount);
    msg.bytes.assign(pBytes, pBytes + nCount);
    m_sys.pPoster->PostMessage(hWnd, std::move(msg));
}

void CORXBootApp::PostSerialFormat(const char* pszFormat, ...) {
    if (!m_bServersRunning.load() || !m_sys.pPoster->IsWindow(m_hTerminalWnd.load())) return;
    va_list args;
    va_start(args, pszFormat);
    const std::string str = FormatV(pszFormat, args);
    va_end(args);
    PostSerialText(reinterpret_cast<const uint8_t*>(str.data()), str.size());
}
