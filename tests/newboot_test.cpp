#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/NetBootServer.h"
#include "tests/CaseName.h"
#include "tests/Fakes.h"
#include "tests/TestImage.h"

namespace {

class NewbootTest : public ::testing::Test {
protected:
    void SetUp() override {
        app.AttachView(&sys.view);
        app.AttachFront(&face);
        app.Config().m_nBootNet = 1;
        app.Config().m_nNetType = 0;
        app.Config().m_strBootFile = WriteFile(dir.Path("img.bin"), MakeImageBytes(107));
    }
    void Start() {
        ASSERT_TRUE(app.StartServers());
        sys.poster.Clear();
    }
    CFakeSocket& Broadcast() {
        CFakeSocket* p = sys.sockets.Bound(NEWBOOT_PORT);
        EXPECT_NE(p, nullptr);
        return *p;
    }
    void Arrive(const std::vector<uint8_t>& bytes, const char* pszFrom = "10.77.0.2") {
        Broadcast().m_incoming.push_back({bytes, {Addr(pszFrom), NEWBOOT_PORT}});
    }
    void Receive(const std::vector<uint8_t>& bytes, const char* pszFrom = "10.77.0.2") {
        Arrive(bytes, pszFrom);
        sys.poster.Send(Broadcast().m_hWnd, Broadcast().ReadNotice());
    }

    CTempDir dir;
    CFakeSystem sys;
    CFakeNetworkInfo net;
    CFakeFront& face = sys.front;
    CORXBootApp app{sys.Services(&net)};
};

// Detection belongs to the all-units mode only; other modes must stay invisible.
TEST_F(NewbootTest, OnlyNetType0StartsDetection) {
    for (const int32_t nType : {0, 1, 2}) {
        SCOPED_TRACE(nType);
        app.Config().m_nNetType = nType;
        sys.sockets.m_made.clear();
        sys.timers.m_timers.clear();
        ASSERT_TRUE(app.StartServers());
        const bool bDetecting = nType == 0;
        EXPECT_EQ(sys.sockets.Bound(NEWBOOT_PORT) != nullptr, bDetecting);
        EXPECT_EQ(sys.timers.Period(TIMER_BROADCAST), bDetecting ? 30000u : 0u);
        app.StopServers();
        EXPECT_TRUE(sys.timers.m_timers.empty());
    }
}

TEST_F(NewbootTest, BroadcastCarriesTheCurrentHostNameToAllHostsOnPort100) {
    Start();
    net.m_strHostName = "lab";
    sys.timers.Fire(sys.poster, TIMER_BROADCAST);
    net.m_strHostName = "Bench-PC";
    sys.timers.Fire(sys.poster, TIMER_BROADCAST);
    const auto& sent = Broadcast().m_sent;
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].bytes, Bytes(std::string("newboot lab\0", 12)));
    EXPECT_EQ(sent[1].bytes, Bytes(std::string("newboot Bench-PC\0", 17)));
    EXPECT_EQ(sent[0].addr, (CSockAddr{0xFFFFFFFFu, 100}));
    EXPECT_TRUE(sys.poster.LogLines().empty());
}

TEST_F(NewbootTest, SendFailureIsLoggedAndTheNextTickTriesAgain) {
    sys.sockets.m_bFailSend = true;
    Start();
    sys.timers.Fire(sys.poster, TIMER_BROADCAST);
    sys.timers.Fire(sys.poster, TIMER_BROADCAST);
    const std::string strLine = "Broadcast tx error: " + FormatErrorText(101) + ".";
    EXPECT_EQ(sys.poster.LogLines(), (std::vector<std::string>{strLine, strLine}));
    EXPECT_TRUE(Broadcast().IsOpen());
}

struct CReceiveCase {
    const char* pszName;
    std::vector<uint8_t> bytes;
    std::vector<std::string> lines;
};

class NewbootReceiveTest : public NewbootTest,
                           public ::testing::WithParamInterface<CReceiveCase> {};

TEST_P(NewbootReceiveTest, LogsWhatArrived) {
    net.m_strHostName = "benchpc";
    Start();
    Receive(GetParam().bytes);
    const auto& lines = GetParam().lines;
    EXPECT_EQ(sys.poster.LogLines(), lines);
    const bool bForeign = !lines.empty() && lines[0].rfind("Another", 0) == 0;
    EXPECT_EQ(face.arrPrompts.size(), bForeign ? 1u : 0u);
    // The record of another server goes with its line.
    size_t nSeen = 0;
    for (const COtherServerSeen& seen : sys.poster.Of<COtherServerSeen>())
        nSeen +=
            seen.dwAddr == Addr("10.77.0.2") && lines[0].find(seen.strServer) != std::string::npos;
    EXPECT_EQ(nSeen, bForeign ? 1u : 0u);
}

std::vector<uint8_t> Newboot(const std::string& strRest) {
    return Bytes("newboot " + strRest);
}

const std::vector<uint8_t> kLab = Newboot(std::string("lab\0", 4));
const std::string kJunk = "Broadcast rx junk from 10.77.0.2.";
std::string Seen(const std::string& strName) {
    return "Another boot server '" + strName + "' is running on '10.77.0.2'";
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Datagrams, NewbootReceiveTest,
    ::testing::Values(
        CReceiveCase{"Empty", {}, {kJunk}},
        CReceiveCase{"EmptyName", Newboot(std::string(1, '\0')), {Seen("")}},
        CReceiveCase{"Normal", kLab, {Seen("lab")}},
        CReceiveCase{"Longest", Newboot(std::string(250, 'n')), {Seen(std::string(250, 'n'))}},
        CReceiveCase{"OneTooLong", Newboot(std::string(251, 'n')), {kJunk}},
        CReceiveCase{"FillsBuffer", Newboot(std::string(252, 'n')), {kJunk}},
        CReceiveCase{"TooBigForBuffer", Newboot(std::string(253, 'n')),
                     {"Broadcast rx error: " + FormatErrorText(90) + "."}},
        CReceiveCase{"HeaderOnly", Bytes("newboot "), {kJunk}},
        CReceiveCase{"NameToTheEnd", Newboot("lab"), {Seen("lab")}},
        CReceiveCase{"NameEndsAtItsNul", Newboot(std::string("abc\0xy", 6)), {Seen("abc")}},
        CReceiveCase{"OtherCase", Bytes("Newboot lab"), {kJunk}},
        CReceiveCase{"NoSpace", Bytes("newbootXlab"), {kJunk}},
        CReceiveCase{"OwnName", Newboot(std::string("benchpc\0", 8)), {}},
        CReceiveCase{"OwnNameOtherCase", Newboot(std::string("BenchPC\0", 8)), {}},
        CReceiveCase{"OwnNamePrefix", Newboot(std::string("bench\0", 6)), {Seen("bench")}},
        // A peer's name must not put terminal controls or false lines into the log.
        CReceiveCase{"ControlBytes", Newboot("evil\x1b[2J\r\nAll servers halted"),
                     {Seen("evil?[2J??All servers halted")}}),
    CaseName());
// clang-format on

// Once per start; every later broadcast is only logged (end to end too). No stops every server.
TEST_F(NewbootTest, AsksOncePerStartAndNoStopsEveryServer) {
    Start();
    Receive(kLab);
    Receive(Newboot(std::string("third\0", 6)), "10.77.0.3");
    ASSERT_EQ(face.arrPrompts.size(), 1u);
    EXPECT_EQ(face.arrPrompts[0].strText,
              "Another boot server 'lab' is running on '10.77.0.2'. Continue ?");
    EXPECT_EQ(face.arrPrompts[0].nType, MB_YESNO | MB_ICONEXCLAMATION);
    EXPECT_TRUE(Broadcast().IsOpen());
    app.StopServers();
    face.bYes = false;
    Start();
    Receive(kLab);
    EXPECT_EQ(face.arrPrompts.size(), 2u);
    EXPECT_FALSE(app.ServersRunning());
    EXPECT_FALSE(Broadcast().IsOpen());
    EXPECT_FALSE(sys.sockets.Bound(BOOT_SERVER_PORT)->IsOpen());
    EXPECT_TRUE(sys.timers.m_timers.empty());
    EXPECT_EQ(sys.poster.LogLines(), (std::vector<std::string>{Seen("lab"), "All servers halted"}));
}

// The servers go on while the question waits for its answer: broadcasts and timer ticks
// meanwhile are handled and raise no second question. A No that comes after a stop and a
// new start was not for that start.
TEST_F(NewbootTest, ServingGoesOnWhileTheQuestionWaits) {
    face.bAnswerLater = true;
    Start();
    Receive(kLab);
    Receive(Newboot(std::string("other\0", 6)), "10.77.0.9");
    sys.timers.Fire(sys.poster, TIMER_BROADCAST);
    Receive(Bytes("junk"), "10.77.0.9");
    EXPECT_EQ(face.arrPrompts.size(), 1u);
    EXPECT_EQ(sys.poster.LogLines(),
              (std::vector<std::string>{Seen("lab"),
                                        "Another boot server 'other' is running on '10.77.0.9'",
                                        "Broadcast rx junk from 10.77.0.9."}));
    EXPECT_EQ(Broadcast().m_sent.size(), 1u);
    EXPECT_TRUE(app.ServersRunning());
    app.StopServers();
    Start();
    face.arrAnswers[0](false);
    EXPECT_TRUE(app.ServersRunning());
    Receive(kLab);
    ASSERT_EQ(face.arrAnswers.size(), 2u);
    face.arrAnswers[1](false);
    EXPECT_FALSE(app.ServersRunning());
}

}  // namespace
