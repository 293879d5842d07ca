#pragma once
#include <functional>
#include <memory>

#include "platform/Socket.h"

class QSocketNotifier;

// Dispatches a readiness notification to a window on the UI thread.
using FSocketReady = std::function<void(HWND hWnd, uint32_t nMsg, int64_t nId)>;

class CUdpSocket : public IDatagramSocket {
public:
    explicit CUdpSocket(FSocketReady fnReady);
    ~CUdpSocket() override;
    bool Create(uint16_t wPort) override;
    bool SetBroadcast(bool bOn) override;
    bool AsyncSelect(HWND hWnd, uint32_t nMsg, int64_t nId) override;
    int ReceiveFrom(void* pBuf, size_t nLen, CSockAddr& from) override;
    int SendTo(const void* pBuf, size_t nLen, const CSockAddr& to) override;
    void Close() override;
    bool IsOpen() const override { return m_fd >= 0; }

private:
    int m_fd = -1;
    FSocketReady m_fnReady;
    std::unique_ptr<QSocketNotifier> m_pNotifier;
};
