#include <cstring>

#include "base/Config.h"
#include "base/EventReporter.h"
#include "base/PlatformServices.h"
#include "platform/Socket.h"
#include "serial/SerialBootServer.h"
#include "serial/SerialRequest.h"

namespace {
constexpr int kReadSize = 254;
constexpr uint32_t kIdleReadMs = 1000;
constexpr uint32_t kGatherReadMs = 50;
constexpr uint32_t kListenMs = 300;
const char kPrompt[] = "Press any key";

// The received text up to its first NUL holds the prompt.
bool HoldsPrompt(const uint8_t* p, int n) {
    const char* psz = reinterpret_cast<const char*>(p);
    const size_t nText = strnlen(psz, static_cast<size_t>(n));
    const size_t nPrompt = sizeof kPrompt - 1;
    for (size_t i = 0; i + nPrompt <= nText; ++i)
        if (std::memcmp(psz + i, kPrompt, nPrompt) == 0) return true;
    return false;
}
}  // namespace

int CSerialBootServer::CheckSerialBootRequest(CTransferSerial::CLine& port, uint8_t* pRequest,
                                              int nReceived) {
    int nLen = nReceived;
    for (;;) {
        if (!m_bServersRunning) return nLen;
        switch (ScanSerialBootRequest(pRequest, static_cast<size_t>(nLen))) {
            case ERequestScan::NotRequest:
                return nLen;
            case ERequestScan::Valid:
                return 0;
            case ERequestScan::BadChecksum:
                m_reporter.LogMessage("Serial Boot checksum mismatch");
                return -2;
            case ERequestScan::Incomplete:
                break;
        }
        if (nLen >= SERIAL_REQUEST_MAX) return nLen;
        const int r = port.Read(pRequest + nLen, SERIAL_REQUEST_MAX - nLen, kGatherReadMs);
        if (r < 0) return -1;
        nLen += r;
    }
}

// Types the keys that select the boot method and, for network booting, the unit's settings.
void CSerialBootServer::DriveBootMenu(CTransferSerial::CLine& port) {
    const CORXBootConfig& cfg = m_config;
    m_reporter.LogMessage("%s: Serial Boot detected.", port.Port().c_str());
    const bool bNet = cfg.m_nBootNet != 0;
    port.SendKey('\n', kListenMs);
    port.SendKey('2', kListenMs);
    port.SendKey(bNet ? '2' : '1', kListenMs);
    port.SendKey('x', kListenMs);
    if (m_sys.SocketsAvailable() && bNet) {
        const bool bDhcp = cfg.m_bNetDhcp;
        port.SendKey('3', kListenMs);
        port.SendKey(bDhcp ? '2' : '1', kListenMs);
        port.SendKey('x', kListenMs);
        if (!bDhcp) {
            const uint32_t dwIp = cfg.m_dwNetIp;
            if (dwIp != 0) {
                port.SendKey('4', kListenMs);
                port.SendText(DottedAddress(dwIp).c_str(), kListenMs);
                port.SendKey('\r', kListenMs);
                port.SendKey('Y', kListenMs);
            }
            const uint32_t dwMask = cfg.m_dwNetIpMask;
            if (dwMask != 0) {
                port.SendKey('5', kListenMs);
                port.SendText(DottedAddress(dwMask).c_str(), kListenMs);
                port.SendKey('\r', kListenMs);
                port.SendKey('Y', kListenMs);
            }
        }
    }
    port.SendKey('D', kListenMs);
    m_reporter.LogMessage("%s: Serial Boot command sent.", port.Port().c_str());
}

int CSerialBootServer::ServeSerialPort(CTransferSerial::CLine& port) {
    // One read, and room to complete a request that starts at its last byte, plus a NUL.
    uint8_t buf[kReadSize + SERIAL_REQUEST_MAX + 1];
    while (!port.Stopped() && port.IsOpen()) {
        int r = port.Read(buf, kReadSize, kIdleReadMs);
        if (r < 0) break;
        if (r == 0) continue;
        if (!m_bServersRunning) {
            PostSerialText(buf, static_cast<size_t>(r));
            continue;
        }
        for (int k = 0; k < r; ++k) {
            if (buf[k] != 0xAA) continue;
            if (CheckSerialBootRequest(port, buf + k, r - k) == 0) {
                if (k > 0) PostSerialText(buf, static_cast<size_t>(k));
                SerialDownload(port);
                port.SetState(SERIAL_STATE_WAITING);
                r = 0;
                break;
            }
        }
        if (r == 0) continue;
        if (m_config.m_nComAutoMenu != 0 &&
            std::memchr(buf, '\n', static_cast<size_t>(r)) == nullptr) {
            // Complete the line so that a prompt split over reads is still seen. Each byte
            // reaches the terminal once and in order: a read that already holds the prompt
            // is completed quietly and shown only if no keys follow; any other read is
            // shown first and its completion as it arrives.
            const bool bPromptRead = HoldsPrompt(buf, r);
            if (!bPromptRead) PostSerialText(buf, static_cast<size_t>(r));
            int nStored = 0;
            const int nLine = port.WaitForCharEx('\n', 2000, buf + r, SERIAL_REQUEST_MAX - r,
                                                 !bPromptRead, &nStored);
            if (nLine > 0) {
                buf[r + nLine] = 0;
                if (HoldsPrompt(buf, r + nLine)) {
                    DriveBootMenu(port);
                } else {
                    PostSerialText(buf + r + nLine - 1, 1);  // the line's LF
                }
            } else if (bPromptRead) {
                PostSerialText(buf, static_cast<size_t>(r + nStored));
            } else if (nStored == SERIAL_REQUEST_MAX - r) {
                PostSerialText(buf + r + nStored - 1, 1);  // the byte that met the limit
            }
            continue;
        }
        if (m_config.m_nComAutoMenu != 0) {
            buf[r] = 0;
            if (HoldsPrompt(buf, r)) {
                DriveBootMenu(port);
                continue;
            }
        }
        PostSerialText(buf, static_cast<size_t>(r));
    }
    // Stopped, the port is still open here; closed, it failed (a USB adapter unplugged),
    // and the one watching the terminal must not be left typing into nothing.
    if (!port.IsOpen()) {
        const std::string strError = FormatErrorText(port.Failure());
        m_reporter.LogMessage("%s: %s", port.Port().c_str(), strError.c_str());
        const std::string strNote =
            "\r\n*** Serial port '" + port.Port() + "' stopped: " + strError + " ***\r\n";
        PostSerialText(reinterpret_cast<const uint8_t*>(strNote.data()), strNote.size());
    }
    port.Close();
    return 0;
}

int CSerialBootServer::RunSerialPort(CTransferSerial::CLine& port) {
    for (;;) {
        ServeSerialPort(port);
        if (!port.AwaitReturn()) return 0;
        m_reporter.LogMessage("Serial port '%s' ready...", port.Port().c_str());
    }
}
