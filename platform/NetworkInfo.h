#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// What the computer's own network setup tells: its name, its first adapter, and
// whether a neighbour answers an echo request.
class INetworkInfo {
public:
    virtual ~INetworkInfo() = default;
    // False with the last error set when the system cannot tell.
    virtual bool GetHostName(std::string& strName) = 0;
    // One ICMP echo request without payload; true exactly when a reply came in time.
    // A host that cannot send echo requests at all sees every address as silent.
    virtual bool Ping(uint32_t dwAddrNet, uint32_t dwTimeoutMs) = 0;
    // The first adapter's IPv4 address and mask (network byte order). Returns 0 on
    // success, ERROR_NOT_SUPPORTED when there is no adapter to ask about,
    // ERROR_NO_ADAPTER_ADDRESS when it has no usable address, else the system's code.
    virtual uint32_t GetFirstAdapterAddress(uint32_t& dwAddrNet, uint32_t& dwMaskNet) = 0;
};

// The first adapter is the first interface, in the system's order, that is up, is not
// loopback and has an IPv4 address. Echo requests use an unprivileged ICMP datagram
// socket where net.ipv4.ping_group_range allows it, else a raw socket (CAP_NET_RAW).
class CNetworkInfo : public INetworkInfo {
public:
    bool GetHostName(std::string& strName) override;
    bool Ping(uint32_t dwAddrNet, uint32_t dwTimeoutMs) override;
    uint32_t GetFirstAdapterAddress(uint32_t& dwAddrNet, uint32_t& dwMaskNet) override;
};

// ICMP echo packets, kept apart from the sockets so they can be checked byte for byte.
constexpr size_t ICMP_ECHO_HEADER_SIZE = 8;
// An echo request without payload: type 8, code 0, checksum, identifier, sequence.
void BuildEchoRequest(uint16_t wId, uint16_t wSeq, uint8_t (&packet)[ICMP_ECHO_HEADER_SIZE]);
// True when the bytes are the echo reply to request wSeq. A raw socket delivers the IP
// header first and every host's ICMP traffic, so its identifier is checked too; an ICMP
// datagram socket gives the bare ICMP message and sorts out identifiers itself.
bool IsEchoReply(const uint8_t* pBytes, size_t nLen, bool bWithIpHeader, uint16_t wId,
                 uint16_t wSeq);
