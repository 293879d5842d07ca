#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Messages.h"

// An IPv4 address in network byte order and a port in host order.
struct CSockAddr {
    uint32_t dwAddr = 0;
    uint16_t wPort = 0;
    bool operator==(const CSockAddr&) const = default;
};

constexpr uint32_t INADDR_ALL_ONES = 0xFFFFFFFFu;

std::string DottedAddress(uint32_t dwAddrNet);
// 0 when the text is not a dotted address (as inet_addr, but "255.255.255.255" is valid).
bool ParseDottedAddress(const std::string& str, uint32_t& dwAddrNet);

// A UDP socket. Failures leave the error in the last error (errno).
class IDatagramSocket {
public:
    virtual ~IDatagramSocket() = default;
    // Binds to the port on all local addresses.
    virtual bool Create(uint16_t wPort) = 0;
    virtual bool SetBroadcast(bool bOn) = 0;
    // Delivers nMsg with wParam = nId to the window whenever a datagram waits.
    virtual bool AsyncSelect(HWND hWnd, uint32_t nMsg, int64_t nId) = 0;
    // One datagram; -1 on error, a datagram larger than the buffer included (EMSGSIZE).
    virtual int ReceiveFrom(void* pBuf, size_t nLen, CSockAddr& from) = 0;
    virtual int SendTo(const void* pBuf, size_t nLen, const CSockAddr& to) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
};

class ISocketFactory {
public:
    virtual ~ISocketFactory() = default;
    virtual std::unique_ptr<IDatagramSocket> NewSocket() = 0;
};
