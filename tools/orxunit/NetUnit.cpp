#include "tools/orxunit/NetUnit.h"

#include <arpa/inet.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "tools/orxunit/ListenSession.h"
#include "tools/orxunit/NetUnitSession.h"
#include "tools/orxunit/UnitLoop.h"
#include "tools/orxunit/UnitReport.h"

using namespace orxunit;

namespace {

const char kNetUsage[] =
    "usage: orxunit net --server A.B.C.D --bind ADDR --image FILE [options]\n"
    "  Boots like a unit: announces itself to the server's port 980 every second from an\n"
    "  ephemeral port on ADDR, takes the write of boot.bin, acknowledges every block,\n"
    "  answers the jump, and checks that it received FILE byte for byte.\n"
    "  --name NAME          unit name, at most 16 characters (ORXHV7410)\n"
    "  --mac MAC            Ethernet address (02:4F:52:00:00:01)\n"
    "  --count N            N units from ADDR, ADDR+1, ...; names NAME1..NAMEN, MACs counted up\n"
    "  --timeout S          give up after S seconds without a packet (40)\n"
    "  --silent-after N     answer nothing after block N (0: not even the write request),\n"
    "                       then report what came (exit 3)\n"
    "  --drop-ack N         leave block N unacknowledged once (0: the write request)\n"
    "  --new-port-after N   acknowledge from a new UDP port from block N+1 on\n"
    "  --repeat-request     announce again every 16 blocks during the transfer\n"
    "  --no-jump-answer     take the jump without answering it\n"
    "Blocks are counted from 1 in the order they arrive. Exit status: 0 image received,\n"
    "1 protocol fault or wrong data, 2 bad options, 3 time-out.\n";

const char kListenUsage[] =
    "usage: orxunit listen --bind ADDR [--port P] (--out FILE | --verify FILE) [--timeout S]\n"
    "  Receives one TFTP write (RFC 1350, octet mode, any name) on ADDR:P (69) from any\n"
    "  client, answering from a port of its own; writes it to FILE or checks it against\n"
    "  FILE, prints one summary line, and ends. Time-out without a packet: S seconds (60).\n";

int Usage(const char* pszMode, const std::string& strError) {
    std::fprintf(stderr, "orxunit: %s (orxunit %s --help tells the options)\n", strError.c_str(),
                 pszMode);
    return kExitUsage;
}

bool ParseCount(const char* psz, int64_t nMin, int64_t nMax, int64_t& n) {
    if (psz == nullptr || *psz == '\0') return false;
    char* pEnd = nullptr;
    const long long v = std::strtoll(psz, &pEnd, 10);
    if (*pEnd != '\0' || v < nMin || v > nMax) return false;
    n = v;
    return true;
}

bool ReadWholeFile(const std::string& strPath, CBytes& arr) {
    std::ifstream in(strPath, std::ios::binary);
    if (!in) return false;
    arr.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// Walks argv after the mode word: each option with its value.
class CArgs {
public:
    CArgs(int argc, char** argv) : m_argc(argc), m_argv(argv) {}
    bool Next(std::string& strOpt) {
        if (++m_i >= m_argc) return false;
        strOpt = m_argv[m_i];
        return true;
    }
    const char* Value() { return m_i + 1 < m_argc ? m_argv[++m_i] : nullptr; }

private:
    int m_argc;
    char** m_argv;
    int m_i = 0;
};

struct CNetOptions {
    CNetUnitConfig unit;
    std::string strImage;
    uint32_t dwBindHost = 0;  // host byte order, counted up for each unit
    int64_t nCount = 1;
};

// Empty on success, else what is wrong.
std::string ParseNetOptions(int argc, char** argv, CNetOptions& o, bool& bHelp) {
    CArgs args(argc, argv);
    std::string strOpt;
    bool bServer = false, bBind = false;
    o.unit.strName = "ORXHV7410";
    ParseMac("02:4F:52:00:00:01", o.unit.mac);
    o.unit.addrServer.wPort = 980;
    while (args.Next(strOpt)) {
        int64_t n = 0;
        uint32_t dw = 0;
        const char* pszValue = nullptr;
        auto value = [&]() { return pszValue = args.Value(); };
        if (strOpt == "--help" || strOpt == "-h") {
            bHelp = true;
            return {};
        } else if (strOpt == "--server" && value() && ParseDottedAddress(pszValue, dw)) {
            o.unit.addrServer.dwAddr = dw;
            bServer = true;
        } else if (strOpt == "--bind" && value() && ParseDottedAddress(pszValue, dw)) {
            o.dwBindHost = ntohl(dw);
            bBind = true;
        } else if (strOpt == "--name" && value()) {
            o.unit.strName = pszValue;
        } else if (strOpt == "--mac" && value() && ParseMac(pszValue, o.unit.mac)) {
        } else if (strOpt == "--image" && value()) {
            o.strImage = pszValue;
        } else if (strOpt == "--count" && ParseCount(value(), 1, 10000, n)) {
            o.nCount = n;
        } else if (strOpt == "--timeout" && ParseCount(value(), 1, 3600, n)) {
            o.unit.nTimeoutUs = uint64_t(n) * 1'000'000;
        } else if (strOpt == "--silent-after" && ParseCount(value(), 0, INT32_MAX, n)) {
            o.unit.faults.nSilentAfter = n;
        } else if (strOpt == "--drop-ack" && ParseCount(value(), 0, INT32_MAX, n)) {
            o.unit.faults.nDropAck = n;
        } else if (strOpt == "--new-port-after" && ParseCount(value(), 0, INT32_MAX, n)) {
            o.unit.faults.nNewPortAfter = n;
        } else if (strOpt == "--repeat-request") {
            o.unit.faults.bRepeatRequest = true;
        } else if (strOpt == "--no-jump-answer") {
            o.unit.faults.bNoJumpAnswer = true;
        } else {
            return "bad or incomplete option '" + strOpt + "'";
        }
    }
    if (!bServer || !bBind || o.strImage.empty())
        return "--server, --bind and --image are required";
    const size_t nSuffix = o.nCount > 1 ? std::to_string(o.nCount).size() : 0;
    if (o.unit.strName.size() + nSuffix > kNameMax)
        return "a unit name has at most " + std::to_string(kNameMax) + " characters";
    if (uint64_t(o.dwBindHost) + uint64_t(o.nCount) - 1 > 0xFFFFFFFEull)
        return "not enough addresses after --bind for --count";
    return {};
}

// Unit i of a --count run: its own address, name and MAC.
CNetUnitConfig UnitNumber(const CNetOptions& o, int64_t i) {
    CNetUnitConfig cfg = o.unit;
    cfg.dwOwnAddr = htonl(o.dwBindHost + uint32_t(i));
    if (o.nCount > 1) {
        std::string strIndex = std::to_string(i + 1);
        strIndex.insert(0, std::to_string(o.nCount).size() - strIndex.size(), '0');
        cfg.strName += strIndex;
        const uint32_t dwLow =
            (uint32_t(cfg.mac[3]) << 16 | uint32_t(cfg.mac[4]) << 8 | cfg.mac[5]) + uint32_t(i);
        cfg.mac[3] = uint8_t(dwLow >> 16);
        cfg.mac[4] = uint8_t(dwLow >> 8);
        cfg.mac[5] = uint8_t(dwLow);
    }
    return cfg;
}

}  // namespace

int RunNetUnit(int argc, char** argv) {
    CNetOptions o;
    bool bHelp = false;
    const std::string strError = ParseNetOptions(argc, argv, o, bHelp);
    if (bHelp) {
        std::fputs(kNetUsage, stdout);
        return kExitOk;
    }
    if (!strError.empty()) return Usage("net", strError);
    auto pImage = std::make_shared<CBytes>();
    if (!ReadWholeFile(o.strImage, *pImage)) return Usage("net", "cannot read " + o.strImage);

    std::vector<CUnitSlot> arrSlots(size_t(o.nCount));
    for (int64_t i = 0; i < o.nCount; ++i) {
        CNetUnitConfig cfg = UnitNumber(o, i);
        arrSlots[size_t(i)].dwBindAddr = cfg.dwOwnAddr;
        arrSlots[size_t(i)].pSession = std::make_unique<CNetUnitSession>(std::move(cfg), pImage);
    }
    RunUnitLoop(arrSlots);
    return ReportUnits(arrSlots);
}

int RunListenUnit(int argc, char** argv) {
    CArgs args(argc, argv);
    std::string strOpt, strOut, strVerify;
    uint32_t dwBind = 0;
    bool bBind = false;
    int64_t nPort = 69, nTimeout = 60;
    while (args.Next(strOpt)) {
        const char* pszValue = nullptr;
        auto value = [&]() { return pszValue = args.Value(); };
        if (strOpt == "--help" || strOpt == "-h") {
            std::fputs(kListenUsage, stdout);
            return kExitOk;
        } else if (strOpt == "--bind" && value() && ParseDottedAddress(pszValue, dwBind)) {
            bBind = true;
        } else if (strOpt == "--port" && ParseCount(value(), 1, 65535, nPort)) {
        } else if (strOpt == "--timeout" && ParseCount(value(), 1, 3600, nTimeout)) {
        } else if (strOpt == "--out" && value()) {
            strOut = pszValue;
        } else if (strOpt == "--verify" && value()) {
            strVerify = pszValue;
        } else {
            return Usage("listen", "bad or incomplete option '" + strOpt + "'");
        }
    }
    if (!bBind || strOut.empty() == strVerify.empty())
        return Usage("listen", "--bind and one of --out or --verify are required");
    std::shared_ptr<CBytes> pExpected;
    if (!strVerify.empty()) {
        pExpected = std::make_shared<CBytes>();
        if (!ReadWholeFile(strVerify, *pExpected))
            return Usage("listen", "cannot read " + strVerify);
    }

    std::vector<CUnitSlot> arrSlots(1);
    auto pSession = std::make_unique<CListenSession>(pExpected, uint64_t(nTimeout) * 1'000'000);
    CListenSession& session = *pSession;
    arrSlots[0] = {std::move(pSession), dwBind, uint16_t(nPort), nullptr};
    RunUnitLoop(arrSlots);
    if (!strOut.empty() && session.Result().nCode == kExitOk) {
        std::ofstream out(strOut, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(session.Received().data()),
                  std::streamsize(session.Received().size()));
        out.close();
        if (!out) {
            std::fprintf(stderr, "orxunit: cannot write %s\n", strOut.c_str());
            return kExitFailed;
        }
    }
    return ReportUnits(arrSlots);
}
