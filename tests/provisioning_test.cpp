#include "net/Provisioning.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <future>
#include <string>
#include <vector>

#include "base/Config.h"
#include "net/AddressSearch.h"
#include "tests/CaseName.h"
#include "tests/Fakes.h"
#include "tests/PrivateNet.h"
#include "tests/TestImage.h"

namespace {

std::vector<std::string> Dotted(const std::vector<uint32_t>& arr) {
    std::vector<std::string> out;
    for (uint32_t dw : arr) out.push_back(DottedAddress(dw));
    return out;
}

class ProvisioningThreaded : public ::testing::Test {
protected:
    // Start-up's walk, on the search's own thread (the Ethernet page's, which asks the address
    // itself first, runs in ui.SettingsPagesTest).
    CAddressSearch::CResult Search(const char* pszAddr, int nTries) {
        std::promise<CAddressSearch::CResult> done;
        CAddressSearch search(
            provisioning, Addr(pszAddr), nTries, [](uint32_t) {},
            [&done](const CAddressSearch::CResult& r) { done.set_value(r); }, false);
        return done.get_future().get();
    }
    CFakeSystem sys;
    CFakeNetworkInfo net;
    CPlatformServices services = sys.Services(&net);
    CAddressProvisioning provisioning{services, sys.front};
    CORXBootConfig config;
    CFakeFront& face = sys.front;
};

struct CSearchCase {
    const char* pszName;
    const char* pszStart;
    std::vector<const char*> arrAnswering;
    int nTries;
    bool bFound;
    std::vector<std::string> arrPinged;  // in order; the last is where the address ends
};

class AddressSearchThreaded : public ProvisioningThreaded,
                              public ::testing::WithParamInterface<CSearchCase> {};

// The search on its own thread; start-up runs the same walk on this one.
TEST_P(AddressSearchThreaded, TriesCandidatesInOrder) {
    const CSearchCase& c = GetParam();
    for (const char* psz : c.arrAnswering) net.m_answering.insert(Addr(psz));
    const CAddressSearch::CResult result = Search(c.pszStart, c.nTries);
    EXPECT_EQ(result.eOutcome,
              c.bFound ? CAddressSearch::EOutcome::Moved : CAddressSearch::EOutcome::NoneFree);
    EXPECT_EQ(DottedAddress(result.dwAddr), c.arrPinged.empty() ? c.pszStart : c.arrPinged.back());
    EXPECT_EQ(Dotted(net.m_pinged), c.arrPinged);
    EXPECT_EQ(net.m_dwLastTimeout, c.arrPinged.empty() ? 0u : 1000u);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Cases, AddressSearchThreaded,
    ::testing::Values(
        CSearchCase{"NextAnswersSecondSilent", "192.168.1.10", {"192.168.1.11"}, 64, true,
                    {"192.168.1.11", "192.168.1.12"}},
        CSearchCase{"WrapFrom253", "192.168.1.253", {"192.168.1.254", "192.168.1.2"}, 64, true,
                    {"192.168.1.254", "192.168.1.2", "192.168.1.3"}},
        CSearchCase{"From254", "192.168.1.254", {}, 64, true, {"192.168.1.2"}},
        CSearchCase{"From255", "192.168.1.255", {}, 64, true, {"192.168.1.2"}},
        CSearchCase{"NoTries", "192.168.1.10", {}, 0, false, {}},
        CSearchCase{"TriesRunOut", "192.168.1.10", {"192.168.1.11", "192.168.1.12"}, 2, false,
                    {"192.168.1.11", "192.168.1.12"}}),
    CaseName());
// clang-format on

// The window drops a search it no longer waits for: that must not hold the UI thread for the
// echo request under way, nor let a callback reach a page that is gone.
TEST_F(ProvisioningThreaded, ADroppedSearchIsNotWaitedForAndNeverCallsBack) {
    std::promise<void> pinging, release;
    std::shared_future<void> released = release.get_future().share();
    net.m_fnOnPing = [&](size_t) {
        pinging.set_value();
        released.wait();
    };
    std::atomic<int> nCalls{0};
    {
        CAddressProvisioning owner{services, sys.front};
        auto pSearch = owner.StartAddressSearch(
            Addr("192.168.1.30"), 64, [&](uint32_t) { ++nCalls; },
            [&](const IAddressSearch::CResult&) { ++nCalls; });
        pinging.get_future().wait();
        pSearch.reset();  // hangs here if it waits for the echo request
        release.set_value();
    }                      // the owner joins what was dropped
    EXPECT_EQ(nCalls, 1);  // the try before the echo request; nothing after the drop
}

// On a full network start-up keeps the 64th candidate (.241 to .254 are 14 tries, then .2 to
// .51) and the host's mask, silently; the face hears of every try, in order. Taking the first
// silent address runs end to end (e2e competing).
TEST_F(ProvisioningThreaded, StartUpOnAFullNetworkKeepsThe64thCandidateAndTheHostMask) {
    net.m_dwAdapterResult = 0;
    net.m_dwAdapterAddr = Addr("10.77.0.240");
    net.m_dwAdapterMask = Addr("255.255.0.0");
    net.m_bAllAnswer = true;
    provisioning.LoadNetworkParams(config, &face);
    EXPECT_EQ(net.m_pinged.size(), 64u);
    EXPECT_EQ(DottedAddress(config.m_dwNetIp), "10.77.0.51");
    EXPECT_EQ(DottedAddress(config.m_dwNetIpMask), "255.255.0.0");
    EXPECT_TRUE(face.arrPrompts.empty());
    std::vector<std::string> arrEvents = Dotted(net.m_pinged);
    arrEvents.insert(arrEvents.begin(), "started");
    arrEvents.push_back("ended");
    EXPECT_EQ(face.arrSearch, arrEvents);
}

struct CAdapterCase {
    const char* pszName;
    uint32_t dwResult;
    uint32_t dwAddr;
    bool bMessage;
    uint32_t dwShownCode;
};

class AdapterFailureTest : public ProvisioningThreaded,
                           public ::testing::WithParamInterface<CAdapterCase> {};

// Whatever goes wrong, the stored settings survive, nobody is pinged and no search shows.
TEST_P(AdapterFailureTest, KeepsTheStoredSettings) {
    const CAdapterCase& c = GetParam();
    net.m_dwAdapterResult = c.dwResult;
    net.m_dwAdapterAddr = c.dwAddr;
    net.m_dwAdapterMask = Addr("255.255.255.0");
    config.m_dwNetIp = Addr("192.168.200.200");
    config.m_dwNetIpMask = Addr("255.255.0.0");
    provisioning.LoadNetworkParams(config, &face);
    EXPECT_EQ(DottedAddress(config.m_dwNetIp), "192.168.200.200");
    EXPECT_EQ(DottedAddress(config.m_dwNetIpMask), "255.255.0.0");
    EXPECT_TRUE(net.m_pinged.empty());
    EXPECT_TRUE(face.arrSearch.empty());
    if (!c.bMessage) {
        EXPECT_TRUE(face.arrPrompts.empty());
        return;
    }
    ASSERT_EQ(face.arrPrompts.size(), 1u);
    EXPECT_EQ(face.arrPrompts[0].strText,
              "Error reading network params.\n" + FormatErrorText(c.dwShownCode));
    EXPECT_EQ(face.arrPrompts[0].nType, MB_OK);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AdapterFailureTest,
    ::testing::Values(CAdapterCase{"NoAdapter", ERROR_NOT_SUPPORTED, 0, false, 0},
                      CAdapterCase{"NoAddress", ERROR_NO_ADAPTER_ADDRESS, 0, true, 1228},
                      CAdapterCase{"ZeroAddress", 0, 0, true, 1228},
                      CAdapterCase{"QueryFails", 12 /* ENOMEM */, 0, true, 12}),
    CaseName());

TEST(EchoPacket, RequestHasNoPayloadAndAValidChecksum) {
    uint8_t packet[ICMP_ECHO_HEADER_SIZE];
    BuildEchoRequest(0x1234, 0x0001, packet);
    // 0x0800 + 0x1234 + 0x0001 = 0x1A35, complemented.
    EXPECT_EQ(std::vector<uint8_t>(packet, packet + 8),
              (std::vector<uint8_t>{0x08, 0x00, 0xE5, 0xCA, 0x12, 0x34, 0x00, 0x01}));
    // 0x0800 + 0xFFFF + 0xFFFF = 0x207FE: both carries fold back in.
    BuildEchoRequest(0xFFFF, 0xFFFF, packet);
    EXPECT_EQ(std::vector<uint8_t>(packet, packet + 8),
              (std::vector<uint8_t>{0x08, 0x00, 0xF7, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
}

std::vector<uint8_t> Reply(uint8_t nType, uint16_t wId, uint16_t wSeq) {
    return {nType, 0, 0, 0, uint8_t(wId >> 8), uint8_t(wId), uint8_t(wSeq >> 8), uint8_t(wSeq)};
}

std::vector<uint8_t> WithIpHeader(std::vector<uint8_t> icmp, uint8_t nIhl = 5, uint8_t nProto = 1) {
    std::vector<uint8_t> out(static_cast<size_t>(nIhl) * 4, 0);
    out[0] = static_cast<uint8_t>(0x40 | nIhl);
    if (out.size() > 9) out[9] = nProto;
    out.insert(out.end(), icmp.begin(), icmp.end());
    return out;
}

// A reply whose IP header claims 60 bytes in a packet of 28.
std::vector<uint8_t> IhlPastEnd() {
    std::vector<uint8_t> bytes = WithIpHeader(Reply(0, 0x1234, 7));
    bytes[0] = 0x4F;
    return bytes;
}

TEST(EchoPacket, OnlyTheMatchingReplyCounts) {
    struct {
        const char* pszName;
        std::vector<uint8_t> bytes;
        bool bRaw;
        bool bReply;
    } cases[] = {
        {"datagram reply", Reply(0, 0x9999, 7), false, true},  // the kernel owns the id
        {"datagram other seq", Reply(0, 0x9999, 8), false, false},
        {"datagram request", Reply(8, 0x9999, 7), false, false},
        {"datagram short", {0, 0, 0, 0, 0, 0, 0}, false, false},
        {"raw reply", WithIpHeader(Reply(0, 0x1234, 7)), true, true},
        {"raw reply with options", WithIpHeader(Reply(0, 0x1234, 7), 6), true, true},
        {"raw other id", WithIpHeader(Reply(0, 0x4321, 7)), true, false},
        {"raw own request", WithIpHeader(Reply(8, 0x1234, 7)), true, false},
        {"raw unreachable", WithIpHeader(Reply(3, 0x1234, 7)), true, false},
        {"raw not icmp", WithIpHeader(Reply(0, 0x1234, 7), 5, 17), true, false},
        {"raw bad header length", WithIpHeader(Reply(0, 0x1234, 7), 4), true, false},
        {"raw header only", WithIpHeader({}), true, false},
        {"raw ihl past end", IhlPastEnd(), true, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsEchoReply(c.bytes.data(), c.bytes.size(), c.bRaw, 0x1234, 7), c.bReply)
            << c.pszName;
    }
}

// --- the real implementation, in a private network namespace of a child process ---

// The raw socket and the host name are used end to end (e2e competing); here the datagram
// socket, used where unprivileged echo is allowed, and loopback never taken as the adapter.
TEST(RealNetworkInfo, SkipsLoopbackAndPingsThroughTheDatagramSocket) {
    const int nResult = InPrivateNamespace([]() -> int {
        CNetworkInfo info;
        uint32_t dwAddr = 0, dwMask = 0;
        // Only loopback, and it is down: no adapter, which start-up passes over silently.
        if (info.GetFirstAdapterAddress(dwAddr, dwMask) != ERROR_NOT_SUPPORTED) return 1;
        if (!BringLoopbackUp()) return 77;
        if (info.GetFirstAdapterAddress(dwAddr, dwMask) != ERROR_NOT_SUPPORTED) return 2;
        uint32_t dwLocal = 0, dwOther = 0;
        ParseDottedAddress("127.0.0.1", dwLocal);
        ParseDottedAddress("10.200.0.1", dwOther);
        std::FILE* pRange = std::fopen("/proc/sys/net/ipv4/ping_group_range", "w");
        if (pRange == nullptr) return 77;
        std::fputs("0 2147483647", pRange);
        if (std::fclose(pRange) != 0) return 77;
        if (!info.Ping(dwLocal, 1000)) return 7;
        if (info.Ping(dwOther, 1000)) return 8;
        return 0;
    });
    if (nResult == 77) GTEST_SKIP() << "private namespaces are not available here";
    EXPECT_EQ(nResult, 0);
}

}  // namespace
