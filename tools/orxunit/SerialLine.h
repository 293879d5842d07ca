#pragma once
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

// The unit's end of a serial line: a device it opens, or a pseudo-terminal it makes and
// links for the server. Reads can be paced at an emulated line rate.
class CSerialLine {
public:
    ~CSerialLine();
    // A device or pty slave path, put into raw mode.
    bool OpenDevice(const std::string& strPath, std::string& strError);
    // A new pty: LINKPATH -> its slave (raw, kept open here so that the server may come and
    // go); the unit talks on the master.
    bool MakePty(const std::string& strLink, std::string& strError);
    const std::string& SlavePath() const { return m_strSlave; }

    // Emulates the line rate on reads (0: as fast as the bytes come).
    void SetEmulatedBaud(uint32_t dwBaud) { m_dwBaud = dwBaud; }
    bool WriteAll(const uint8_t* p, size_t n);
    bool WriteText(const std::string& str) {
        return WriteAll(reinterpret_cast<const uint8_t*>(str.data()), str.size());
    }
    // Up to nMax bytes, waiting up to dwMs for the first; 0 on time-out, -1 on error.
    int Read(uint8_t* p, size_t nMax, uint32_t dwMs);
    // Exactly n bytes unless dwMs pass without a byte; false then.
    bool ReadExact(std::vector<uint8_t>& out, size_t n, uint32_t dwMs);
    // Drops what arrives during dwMs; the bytes are returned.
    std::vector<uint8_t> Drain(uint32_t dwMs);
    // When the first byte of the last ReadExact arrived (before any pacing).
    std::chrono::steady_clock::time_point FirstArrival() const { return m_firstArrival; }
    // Puts bytes back to be read again first.
    void Unread(const uint8_t* p, size_t n) { m_pending.insert(m_pending.begin(), p, p + n); }
    // Closes the line as if the cable were pulled; the link goes too.
    void HangUp();

private:
    int m_fd = -1;
    int m_fdSlave = -1;
    std::string m_strSlave;
    std::string m_strLink;
    uint32_t m_dwBaud = 0;
    std::vector<uint8_t> m_pending;
    std::chrono::steady_clock::time_point m_lineFree{};
    std::chrono::steady_clock::time_point m_lastArrival{};
    std::chrono::steady_clock::time_point m_firstArrival{};
};
