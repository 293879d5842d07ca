#pragma once
#include <atomic>
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/BootEvents.h"
#include "base/FormatText.h"
#include "base/Views.h"
#include "platform/Messages.h"

// The channel from the engine to the attached face: everything the servers tell the user
// goes as a posted message, and nothing when no face is attached. Callable from any
// thread; the views receive on the UI thread, in posting order.
class CEventReporter {
public:
    explicit CEventReporter(IMessagePoster& poster);
    ~CEventReporter();
    CEventReporter(const CEventReporter&) = delete;
    CEventReporter& operator=(const CEventReporter&) = delete;

    // UI thread: reports go to the view from now on; null detaches, dropping what is queued.
    void AttachView(IBootView* pView);
    // UI thread: the status and record-only events (not the log, the rows or the progress)
    // go to the recorder too, with or without a view, until it is detached (null).
    void AttachRecorder(IBootView* pRecorder);
    void AttachTerminal(ITerminalView* pView);
    bool ViewAttached() const;
    bool TerminalAttached() const { return m_hTerminalWnd.load() != 0; }

    // Any event; status events go through CTransferReporter::PostStatus, which redraws the
    // slots first.
    void Post(CBootEvent event);
    void LogMessage(const char* pszFormat, ...) ORX_PRINTF(2, 3);
    void ClearLog() { Post(CLogLine{}); }
    // The face closes as if the user had.
    void RequestClose() { Post(CCloseRequest{}); }
    void PostSerialText(const uint8_t* pBytes, size_t nCount);
    void PostSerialFormatV(const char* pszFormat, va_list args);

private:
    IMessagePoster& m_poster;
    // The targets of the attached views; 0 while none is attached.
    std::atomic<HWND> m_hMainWnd{0};
    std::atomic<HWND> m_hRecorderWnd{0};
    std::atomic<HWND> m_hTerminalWnd{0};
};
