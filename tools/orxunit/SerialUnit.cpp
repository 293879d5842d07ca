// orxunit serial: a unit on a serial line. It prompts, checks the menu keys it is typed,
// asks for a serial boot and checks every byte of the download against the image.
#include "tools/orxunit/SerialUnit.h"

#include <arpa/inet.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "serial/SerialRequest.h"
#include "tools/orxunit/SerialImage.h"
#include "tools/orxunit/SerialLine.h"

namespace {

const char kUsage[] =
    "usage: orxunit serial (--port DEV | --make-pty LINK) --image FILE [options]\n"
    "Plays an HV7 or HV6 unit on a serial line: prints its banner and \"Press any key\",\n"
    "checks the menu keys the server types, sends a serial boot request and checks every\n"
    "byte of the download against the image's records in address order.\n"
    "Exit status 0 only when everything matched (or the asked stall or hang-up happened\n"
    "with every byte until then matching).\n"
    "\n"
    "  --port DEV            use this device (a tty or a pty slave)\n"
    "  --make-pty LINK       make a pseudo-terminal and link LINK to its slave\n"
    "  --image FILE          the boot image the server sends\n"
    "  --protocol hv7|hv6    256-byte blocks, or 32 KiB blocks with the LF handshake\n"
    "  --no-menu             no banner and no keys: send the boot request at once\n"
    "  --expect-keys TEXT    keys to expect, C escapes allowed (default from the options\n"
    "                        below: \\n21xD without --bootnet)\n"
    "  --bootnet --dhcp --ip A.B.C.D --mask A.B.C.D\n"
    "                        the settings the server is expected to type\n"
    "  --name NAME           unit name in the request (default HV7UNIT)\n"
    "  --bad-checksum        first send a request with a wrong checksum, check that no\n"
    "                        download starts, then send a good one\n"
    "  --split               send the request in two writes, 30 ms apart\n"
    "  --baud-emulate BAUD   take the bytes no faster than the line rate\n"
    "  --text-before-lf TEXT send TEXT before every go-ahead LF\n"
    "  --stall-after N       stop asking for blocks after N blocks; then expect silence\n"
    "  --stall-ms MS         how long the stalled unit listens for that silence\n"
    "                        (default 12000)\n"
    "  --hangup-after N      close the line after N blocks\n"
    "  --timeout MS          longest wait for the server (default 30000)\n"
    "  --stats               print the rate and the go-ahead latencies\n"
    "  --units N             N units one after another on the same line\n"
    "  --on-cue              each unit starts when a line arrives on standard input, as\n"
    "                        when the user puts it in serial-boot mode\n";

struct COptions {
    std::string strPort, strMakePty, strImage, strName = "HV7UNIT", strTextBeforeLf;
    std::string strExpectKeys;
    bool bExpectKeysGiven = false, bHv6 = false, bMenu = true, bBootNet = false, bDhcp = false;
    std::string strIp, strMask;
    bool bBadChecksum = false, bSplit = false, bStats = false, bOnCue = false;
    uint32_t dwBaud = 0, dwTimeout = 30000;
    long nStallAfter = -1, nHangupAfter = -1, nUnits = 1;
    uint32_t dwStallMs = 12000;
};

std::string Unescape(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 == s.size()) {
            out += s[i];
            continue;
        }
        const char c = s[++i];
        if (c == 'n')
            out += '\n';
        else if (c == 'r')
            out += '\r';
        else if (c == 't')
            out += '\t';
        else if (c == 'x' && i + 2 < s.size()) {
            out += static_cast<char>(std::strtol(s.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
        } else
            out += c;
    }
    return out;
}

std::string Printable(const std::string& s) {
    std::string out;
    char sz[8];
    for (unsigned char c : s) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            std::snprintf(sz, sizeof sz, "\\x%02X", c);
            out += sz;
        }
    }
    return out;
}

// The keys a server types for these settings.
std::string KeysFor(const COptions& o) {
    std::string s = "\n2";
    s += o.bBootNet ? "2x" : "1x";
    if (o.bBootNet) {
        s += o.bDhcp ? "32x" : "31x";
        if (!o.bDhcp && !o.strIp.empty()) s += "4" + o.strIp + "\rY";
        if (!o.bDhcp && !o.strMask.empty()) s += "5" + o.strMask + "\rY";
    }
    return s + "D";
}

bool ParseOptions(int argc, char** argv, COptions& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto next = [&](std::string& v) {
            if (i + 1 >= argc) return false;
            v = argv[++i];
            return true;
        };
        std::string v;
        if (a == "--port") {
            if (!next(o.strPort)) return false;
        } else if (a == "--make-pty") {
            if (!next(o.strMakePty)) return false;
        } else if (a == "--image") {
            if (!next(o.strImage)) return false;
        } else if (a == "--name") {
            if (!next(o.strName)) return false;
        } else if (a == "--text-before-lf") {
            if (!next(o.strTextBeforeLf)) return false;
        } else if (a == "--expect-keys") {
            if (!next(v)) return false;
            o.strExpectKeys = Unescape(v);
            o.bExpectKeysGiven = true;
        } else if (a == "--protocol") {
            if (!next(v) || (v != "hv7" && v != "hv6")) return false;
            o.bHv6 = v == "hv6";
        } else if (a == "--ip") {
            if (!next(o.strIp)) return false;
        } else if (a == "--mask") {
            if (!next(o.strMask)) return false;
        } else if (a == "--bootnet")
            o.bBootNet = true;
        else if (a == "--dhcp")
            o.bDhcp = true;
        else if (a == "--no-menu")
            o.bMenu = false;
        else if (a == "--bad-checksum")
            o.bBadChecksum = true;
        else if (a == "--split")
            o.bSplit = true;
        else if (a == "--stats")
            o.bStats = true;
        else if (a == "--on-cue")
            o.bOnCue = true;
        else if (a == "--baud-emulate") {
            if (!next(v)) return false;
            o.dwBaud = std::stoul(v);
        } else if (a == "--timeout") {
            if (!next(v)) return false;
            o.dwTimeout = std::stoul(v);
        } else if (a == "--stall-after") {
            if (!next(v)) return false;
            o.nStallAfter = std::stol(v);
        } else if (a == "--stall-ms") {
            if (!next(v)) return false;
            o.dwStallMs = std::stoul(v);
        } else if (a == "--units") {
            if (!next(v)) return false;
            o.nUnits = std::stol(v);
        } else if (a == "--hangup-after") {
            if (!next(v)) return false;
            o.nHangupAfter = std::stol(v);
        } else
            return false;
    }
    if (!o.bExpectKeysGiven) o.strExpectKeys = KeysFor(o);
    return (o.strPort.empty() != o.strMakePty.empty()) && !o.strImage.empty() && o.nUnits > 0;
}

class CSerialUnit {
public:
    CSerialUnit(const COptions& o, CSerialLine& line, const CExpectedImage& image)
        : m_o(o), m_line(line), m_image(image) {}

    int Run() {
        if (m_o.bMenu && !TakeMenuKeys()) return 1;
        if (m_o.bBadChecksum) {
            if (!SendRequest(-1)) return Fail("cannot write the request");
            const auto got = m_line.Drain(1000);
            if (!got.empty()) return Fail("the server answered a request with a wrong checksum");
            std::printf("orxunit: a request with a wrong checksum started nothing\n");
        }
        return RequestBoot() ? TakeDownload() : 1;
    }

private:
    int Fail(const std::string& str) {
        std::fprintf(stderr, "orxunit: %s\n", str.c_str());
        return 1;
    }

    bool TakeMenuKeys() {
        if (!m_line.WriteText("\r\nHV7 boot loader 3.2 (simulated unit)\r\n"
                              "Press any key to enter the boot menu\r\n"))
            return false;
        std::string strKeys;
        uint8_t buf[256];
        while (strKeys.size() < m_o.strExpectKeys.size()) {
            const int r = m_line.Read(buf, sizeof buf, m_o.dwTimeout);
            if (r <= 0) {
                Fail("menu keys: got \"" + Printable(strKeys) + "\", expected \"" +
                     Printable(m_o.strExpectKeys) + "\"");
                return false;
            }
            strKeys.append(buf, buf + r);
            // The unit's menu answers, as the server's listening shows them.
            m_line.WriteText("\r\nmenu> ");
        }
        if (strKeys != m_o.strExpectKeys) {
            Fail("menu keys: got \"" + Printable(strKeys) + "\", expected \"" +
                 Printable(m_o.strExpectKeys) + "\"");
            return false;
        }
        std::printf("orxunit: menu keys as expected: \"%s\"\n", Printable(strKeys).c_str());
        std::fflush(stdout);
        // The unit restarts into serial boot while the server still listens to its answer.
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        return true;
    }

    // Sends the request until the server answers, as a unit in serial-boot mode does: a
    // server may miss one while it still listens to the unit's last menu answer.
    bool RequestBoot() {
        const auto end =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(m_o.dwTimeout);
        while (std::chrono::steady_clock::now() < end) {
            if (!SendRequest(0)) {
                Fail("cannot write the request");
                return false;
            }
            uint8_t b = 0;
            const int r = m_line.Read(&b, 1, 1500);
            if (r < 0) break;
            if (r == 1) {
                m_line.Unread(&b, 1);
                return true;
            }
        }
        Fail("the server never answered the serial boot request");
        return false;
    }

    bool SendRequest(int nDelta) {
        uint8_t req[SERIAL_REQUEST_MAX];
        const size_t n = BuildSerialBootRequest(req, sizeof req, 1, m_o.strName.c_str(), nDelta);
        if (n == 0) return false;
        if (!m_o.bSplit) return m_line.WriteAll(req, n);
        const size_t nFirst = n / 2;
        if (!m_line.WriteAll(req, nFirst)) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        return m_line.WriteAll(req + nFirst, n - nFirst);
    }

    bool Expect(const uint8_t* pExpected, size_t n, const char* pszWhat, size_t nFileOffset) {
        std::vector<uint8_t> got;
        if (!m_line.ReadExact(got, n, m_o.dwTimeout)) {
            Fail(std::string(pszWhat) + ": the server sent no more (" + std::to_string(got.size()) +
                 " of " + std::to_string(n) + " bytes)");
            return false;
        }
        m_nBytes += n;
        const auto mis = std::mismatch(got.begin(), got.end(), pExpected);
        if (mis.first != got.end()) {
            const size_t i = static_cast<size_t>(mis.first - got.begin());
            char sz[160];
            std::snprintf(sz, sizeof sz, "%s: byte at file offset %zu is %02X, expected %02X",
                          pszWhat, nFileOffset + i, *mis.first, *mis.second);
            Fail(sz);
            return false;
        }
        return true;
    }

    bool ExpectServerLf() {
        std::vector<uint8_t> got;
        if (!m_line.ReadExact(got, 1, m_o.dwTimeout) || got[0] != '\n') {
            Fail("the server did not answer the go-ahead with its LF");
            return false;
        }
        return true;
    }

    bool GoAhead() { return m_line.WriteText(m_o.strTextBeforeLf + "\n"); }

    // HV6: the first go-ahead must come after the server purged its input; an LF lost to
    // the purge is sent again when the server stays silent.
    bool FirstHv6GoAhead() {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        for (int i = 0; i < 3; ++i) {
            if (!GoAhead()) return false;
            uint8_t b = 0;
            const int r = m_line.Read(&b, 1, 1000);
            if (r < 0) break;
            if (r == 1) {
                if (b == '\n') return true;
                Fail("the server did not answer the go-ahead with its LF");
                return false;
            }
        }
        Fail("the server never answered the first go-ahead");
        return false;
    }

    int TakeDownload() {
        const auto& b = m_image.bytes;
        if (m_o.bHv6 && !ExpectServerLf()) return 1;
        if (!Expect(b.data(), 15, "image header", 0)) return 1;
        const auto tStart = std::chrono::steady_clock::now();
        const uint32_t nBlockSize = m_o.bHv6 ? 32768 : 256;
        bool bFirst = true;
        for (const auto& rec : m_image.records) {
            if (m_o.bHv6) {
                if (bFirst ? !FirstHv6GoAhead() : (!GoAhead() || !ExpectServerLf())) return 1;
            }
            bFirst = false;
            if (!Expect(b.data() + rec.nOffset, 12, "record header", rec.nOffset)) return 1;
            if (rec.dwAddress == 0) break;
            ++m_nRecords;
            for (uint32_t nDone = 0; nDone < rec.dwLength;) {
                if (m_o.nHangupAfter >= 0 && m_nBlocks >= m_o.nHangupAfter) {
                    m_line.HangUp();
                    std::printf("orxunit: hung up after %ld blocks as asked, all bytes matched\n",
                                m_nBlocks);
                    return 0;
                }
                if (m_o.nStallAfter >= 0 && m_nBlocks >= m_o.nStallAfter) return Stall();
                const auto tAsk = std::chrono::steady_clock::now();
                if (!GoAhead() || (m_o.bHv6 && !ExpectServerLf())) return 1;
                const uint32_t n = std::min(rec.dwLength - nDone, nBlockSize);
                const size_t nOffset = rec.nOffset + 12 + nDone;
                if (!Expect(b.data() + nOffset, n, "data block", nOffset)) return 1;
                m_latencies.push_back(std::chrono::duration_cast<std::chrono::microseconds>(
                                          m_line.FirstArrival() - tAsk)
                                          .count());
                nDone += n;
                ++m_nBlocks;
            }
        }
        const double dSeconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - tStart).count();
        std::printf("orxunit: received %ld records, %zu bytes, every byte matched\n", m_nRecords,
                    m_nBytes);
        if (m_o.bStats) PrintStats(dSeconds);
        return 0;
    }

    int Stall() {
        std::printf("orxunit: stalling after %ld blocks as asked\n", m_nBlocks);
        std::fflush(stdout);
        const auto got = m_line.Drain(m_o.dwStallMs);
        if (!got.empty()) return Fail("the server sent bytes without a go-ahead");
        std::printf("orxunit: the server waited without sending, all bytes matched\n");
        return 0;
    }

    void PrintStats(double dSeconds) {
        std::sort(m_latencies.begin(), m_latencies.end());
        auto pct = [&](double p) -> long long {
            if (m_latencies.empty()) return 0;
            const size_t i = std::min(m_latencies.size() - 1,
                                      static_cast<size_t>(p * double(m_latencies.size())));
            return static_cast<long long>(m_latencies[i]);
        };
        const double dRate = dSeconds > 0 ? double(m_nBytes - 15) / dSeconds : 0;
        std::printf(
            "STATS bytes=%zu seconds=%.3f rate=%.0f blocks=%ld lat_p50_us=%lld "
            "lat_p99_us=%lld lat_max_us=%lld\n",
            m_nBytes, dSeconds, dRate, m_nBlocks, pct(0.50), pct(0.99), pct(1.0));
    }

    const COptions& m_o;
    CSerialLine& m_line;
    const CExpectedImage& m_image;
    size_t m_nBytes = 0;
    long m_nRecords = 0;
    long m_nBlocks = 0;
    std::vector<long long> m_latencies;
};

}  // namespace

int RunSerialUnit(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
    }
    COptions o;
    try {
        if (!ParseOptions(argc, argv, o)) {
            std::fputs(kUsage, stderr);
            return 2;
        }
    } catch (...) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    CExpectedImage image;
    std::string strError;
    if (!LoadExpectedImage(o.strImage, image, strError)) {
        std::fprintf(stderr, "orxunit: %s\n", strError.c_str());
        return 2;
    }
    CSerialLine line;
    const bool bOpen = o.strPort.empty() ? line.MakePty(o.strMakePty, strError)
                                         : line.OpenDevice(o.strPort, strError);
    if (!bOpen) {
        std::fprintf(stderr, "orxunit: %s\n", strError.c_str());
        return 2;
    }
    if (!o.strMakePty.empty())
        std::printf("orxunit: serial line %s -> %s\n", o.strMakePty.c_str(),
                    line.SlavePath().c_str());
    std::fflush(stdout);
    line.SetEmulatedBaud(o.dwBaud);
    for (long nUnit = 0; nUnit < o.nUnits; ++nUnit) {
        char szLine[64];
        if (o.bOnCue && !std::fgets(szLine, sizeof szLine, stdin)) {
            std::fprintf(stderr, "orxunit: no cue for unit %ld on standard input\n", nUnit + 1);
            return 1;
        }
        const int nResult = CSerialUnit(o, line, image).Run();
        std::fflush(stdout);
        if (nResult != 0) return nResult;
    }
    return 0;
}
