#pragma once
#include <atomic>
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/Face.h"
#include "app/FormatText.h"
#include "platform/Messages.h"

class CORXBootConfig;
class CTransferFile;
class CTransferTable;

// Event reporting: everything the servers tell the user goes as a posted message to the
// attached face, and nothing when none is attached. Callable from any thread; the views
// receive on the UI thread, in posting order.
class CEventReporter {
public:
    CEventReporter(IMessagePoster& poster, CTransferTable& transfers, const CTransferFile& image,
                   const CORXBootConfig& config, const std::atomic<bool>& bServersRunning);
    ~CEventReporter();
    CEventReporter(const CEventReporter&) = delete;
    CEventReporter& operator=(const CEventReporter&) = delete;

    // UI thread: reports go to the view from now on; null detaches, dropping what is queued.
    void AttachView(IBootView* pView);
    void AttachTerminal(ITerminalView* pView);
    bool TerminalAttached() const { return m_hTerminalWnd.load() != 0; }

    void PostBootText(int nWParam, const std::string& strText);
    void LogMessage(const char* pszFormat, ...) ORX_PRINTF(2, 3);
    void LogTransferMessage(int nSlot, const char* pszFormat, ...) ORX_PRINTF(3, 4);
    void PostProgress(int nSlot);
    void PostStatusEvent(int nCode);
    void PostSerialText(const uint8_t* pBytes, size_t nCount);
    // Only while the servers run.
    void PostSerialFormat(const char* pszFormat, ...) ORX_PRINTF(2, 3);
    void PostSerialFormatV(const char* pszFormat, va_list args);

private:
    IMessagePoster& m_poster;
    CTransferTable& m_transfers;
    const CTransferFile& m_image;
    const CORXBootConfig& m_config;
    const std::atomic<bool>& m_bServersRunning;
    // The targets of the attached views; 0 while none is attached.
    std::atomic<HWND> m_hMainWnd{0};
    std::atomic<HWND> m_hTerminalWnd{0};
};
