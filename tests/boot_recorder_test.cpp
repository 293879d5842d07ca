#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <ctime>

#include "TestImage.h"
#include "app/BootHistory.h"
#include "app/BootRecorder.h"

namespace {

const CUnitRef kNetUnit{"ORXHV74101", false, htonl(0x0A000005), 1234,
                        std::array<uint8_t, 6>{0x02, 0x4F, 0x52, 0x00, 0x00, 0x0A}};
const CUnitRef kSerialUnit{"COM3", true, 0, 0, std::nullopt};

struct EndCase {
    const char* pszName;
    CBootEvent end;
    bool bCompleted;
    const char* pszReason;
};

// The record every way a transfer ends makes, from the engine's events: when it began and
// ended (local time, here UTC), what it was about, the image, and why it failed.
TEST(BootRecorderTest, EachEndMakesItsRecord) {
    CScopedEnv tz("TZ", "UTC");
    tzset();
    const EndCase cases[] = {
        {"completed", CTransferCompleted{kNetUnit, 70000, 3250}, true, ""},
        {"no acknowledgement",
         CTransferFailed{kNetUnit, EFailReason::NoAcknowledgement, "", 1536, 3250}, false,
         "no acknowledgement after four resends"},
        {"displaced", CTransferFailed{kNetUnit, EFailReason::Displaced, "", 0, 3250}, false,
         "silent, ended to make way for another unit"},
        {"stopped mid-transfer", CTransferHalted{kNetUnit, 512, 3250}, false,
         "halted: the servers were stopped"},
        {"no response", CTransferFailed{kSerialUnit, EFailReason::NoResponse, "", 4096, 3250},
         false, "no response from the unit"},
        {"hung up",
         CTransferFailed{kSerialUnit, EFailReason::LineFailed, "Input/output error (5)", 4096,
                         3250},
         false, "line hung up: Input/output error (5)"},
        {"serial stopped", CTransferFailed{kSerialUnit, EFailReason::Halted, "", 4096, 3250}, false,
         "halted: the servers were stopped"},
        {"corrupt image", CTransferFailed{kSerialUnit, EFailReason::CorruptImage, "", 0, 3250},
         false, "corrupt image"},
    };
    for (const EndCase& c : cases) {
        int64_t tNow = 1714558953;  // 2024-05-01 10:22:33 UTC
        CBootRecorder recorder(nullptr, [&] { return tNow; });
        std::vector<CBootRecord> arrRecords;
        recorder.m_fnRecorded = [&](const CBootRecord* p) {
            if (p) arrRecords.push_back(*p);
        };
        recorder.OnBootEvent(CServersStarted{true, true, {"COM3"}, "/i/hv7.bin", 70000, "ab12"});
        const CUnitRef& unit = std::visit(
            [](const auto& e) -> const CUnitRef& {
                if constexpr (requires { e.unit; })
                    return e.unit;
                else
                    return kNetUnit;
            },
            c.end);
        recorder.OnBootEvent(CTransferStarted{unit, 70000});
        tNow += 4;
        recorder.OnBootEvent(c.end);
        ASSERT_EQ(arrRecords.size(), 1u) << c.pszName;
        const CBootRecord& rec = arrRecords[0];
        EXPECT_EQ(rec.strStart, "2024-05-01T10:22:33+00:00") << c.pszName;
        EXPECT_EQ(rec.strEnd, "2024-05-01T10:22:37+00:00") << c.pszName;
        EXPECT_EQ(rec.strUnit, unit.strName) << c.pszName;
        EXPECT_EQ(rec.strMethod, unit.bSerial ? "COM3" : "NET") << c.pszName;
        EXPECT_EQ(rec.strIp, unit.bSerial ? "" : "10.0.0.5") << c.pszName;
        EXPECT_EQ(rec.strMac, unit.bSerial ? "" : "02:4f:52:00:00:0a") << c.pszName;
        EXPECT_EQ(rec.strImage + " " + rec.strSha256, "/i/hv7.bin ab12") << c.pszName;
        EXPECT_EQ(rec.nImageSize, 70000u) << c.pszName;
        EXPECT_EQ(rec.nDurationMs, 3250u) << c.pszName;
        EXPECT_EQ(rec.bCompleted, c.bCompleted) << c.pszName;
        EXPECT_EQ(rec.strReason, c.pszReason) << c.pszName;
        EXPECT_EQ(recorder.SinceStart().nCompleted + recorder.SinceStart().nFailed, 1) << c.pszName;
    }
}

// What --events writes: one object a line, each naming its event, the transfer's end
// carrying its whole record; the counts begin again with every start.
TEST(BootRecorderTest, EventLinesAndCountsSinceStart) {
    CTempDir dir;
    CBootHistory history(dir.Root());
    ASSERT_TRUE(history.Open());
    CBootRecorder recorder(&history);
    std::vector<std::string> arrLines;
    recorder.m_fnEvent = [&](const CJsonObject& obj) { arrLines.push_back(obj.Line()); };
    recorder.OnBootEvent(CServersStarted{true, false, {}, "/i/hv7.bin", 70000, "ab12"});
    recorder.OnBootEvent(CTransferStarted{kNetUnit, 70000});
    recorder.OnBootEvent(CTransferCompleted{kNetUnit, 70000, 1000});
    recorder.OnBootEvent(COtherServerSeen{"LAB2", htonl(0x0A000009)});
    recorder.OnBootEvent(CTransferFailed{kSerialUnit, EFailReason::NoResponse, "", 10, 2000});
    recorder.OnBootEvent(CSlotProgress{0, 50});
    EXPECT_EQ(recorder.SinceStart().nCompleted, 1);
    EXPECT_EQ(recorder.SinceStart().nFailed, 1);
    recorder.OnBootEvent(CServersHalted{});
    recorder.OnBootEvent(CServersStarted{true, false, {}, "/i/hv7.bin", 70000, "ab12"});
    EXPECT_EQ(recorder.SinceStart().nCompleted + recorder.SinceStart().nFailed, 0);
    std::vector<std::string> arrEvents;
    for (const std::string& strLine : arrLines) {
        std::optional<CJsonObject> obj = ParseJsonObject(strLine);
        ASSERT_TRUE(obj) << strLine;
        arrEvents.push_back(obj->Text("event"));
        EXPECT_FALSE(obj->Text("time").empty()) << strLine;
    }
    EXPECT_EQ(arrEvents,
              (std::vector<std::string>{"servers-started", "transfer-started", "transfer-completed",
                                        "other-server", "transfer-failed", "servers-halted",
                                        "servers-started"}));
    const CJsonObject ended = *ParseJsonObject(arrLines[2]);
    EXPECT_EQ(ended.Text("unit"), "ORXHV74101");
    EXPECT_EQ(ended.Count("rate"), 70000u);
    EXPECT_EQ(ParseJsonObject(arrLines[3])->Text("ip"), "10.0.0.9");
    const CHistoryContents kept = history.Read();
    ASSERT_EQ(kept.arrRecords.size(), 2u);
    EXPECT_EQ(kept.arrRecords[1].strReason, "no response from the unit");
}

}  // namespace
