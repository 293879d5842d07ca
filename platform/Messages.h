#pragma once
#include <any>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Window message numbers shared by the engine and both faces.
constexpr uint32_t WM_USER = 1024;
constexpr uint32_t WM_CLOSE = 0x0010;
constexpr uint32_t WM_TIMER = 0x0113;
constexpr uint32_t WM_BOOT_TEXT = WM_USER + 501;      // 1525
constexpr uint32_t WM_BOOT_PROGRESS = WM_USER + 502;  // 1526
constexpr uint32_t WM_BOOT_SOCKET = WM_USER + 503;    // 1527
constexpr uint32_t WM_SERIAL_TEXT = WM_USER + 504;    // 1528
constexpr uint32_t WM_UPDATE_TITLE = WM_USER + 505;   // 1529
constexpr uint32_t WM_BOOT_EVENT = WM_USER + 506;     // 1530: a report no face shows

// A message target ("window"); 0 is no window.
using HWND = uint32_t;

// The payload is a value: the receiver owns it, and a dropped message frees it.
struct CMessage {
    uint32_t nMsg = 0;
    int64_t wParam = 0;
    int64_t lParam = 0;
    std::any payload;            // what the message carries, of the type its sender made
    std::vector<uint8_t> bytes;  // WM_SERIAL_TEXT: the raw bytes
};

using FWindowProc = std::function<void(CMessage& msg)>;

// Message targets ("windows") and the loop that delivers to them on the UI thread.
class IMessagePoster {
public:
    virtual ~IMessagePoster() = default;
    // UI thread: a new target whose messages fnProc handles on the UI thread.
    virtual HWND CreateWindow(FWindowProc fnProc) = 0;
    // UI thread: the target's pending messages are dropped with their payloads.
    virtual void DestroyWindow(HWND hWnd) = 0;
    virtual bool IsWindow(HWND hWnd) const = 0;
    // Any thread: queues the message for the target; false when the target is gone.
    virtual bool PostMessage(HWND hWnd, CMessage msg) = 0;
    // UI thread: a local event loop that delivers messages, timers and socket notifications
    // until fnDone() holds, so that a window stays alive while its caller waits.
    virtual void DispatchUntil(const std::function<bool()>& fnDone) = 0;
};
