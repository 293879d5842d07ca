#include <gtest/gtest.h>

#include "Fakes.h"
#include "headless/HeadlessFront.h"
#include "tests/TestImage.h"

namespace {

class HeadlessFrontTest : public ::testing::Test {
protected:
    CHeadlessFront Make(bool bTty) {
        return CHeadlessFront(app, out.m_pFile, err.m_pFile, bTty, false);
    }
    CFakeSystem sys;
    CORXBootApp app{sys.Services()};
    CStream out, err;
};

// Plain log lines on stdout run end to end (e2e net_boot reads them back exactly).
TEST_F(HeadlessFrontTest, NetworkNamesInLogLinesAreMadeHarmlessOnATerminal) {
    CHeadlessFront front = Make(true);
    front.OnBootEvent(CLogLine{"U\x1b[2J: Starting Transfer"});
    front.OnBootEvent(CLogLine{""});  // clears the log: nothing to print
    front.OnBootEvent(CLogLine{"All servers halted"});
    EXPECT_EQ(out.Text(), "U{1B}[2J: Starting Transfer\nAll servers halted\n");
    EXPECT_EQ(err.Text(), "");
}

// Record-only events show nothing.
TEST_F(HeadlessFrontTest, ProgressAndStatusGoToStderrOneLinePerChange) {
    CHeadlessFront front = Make(false);
    CUnitRef unit;
    unit.strName = "HV7A";
    front.OnBootEvent(CSlotLabel{0, "HV7A"});
    front.OnBootEvent(CSlotProgress{0, 0});
    front.OnBootEvent(CSlotProgress{0, 0});
    front.OnBootEvent(CSlotProgress{1, -1});
    front.OnBootEvent(CTransferStarted{unit, 1000});
    front.OnBootEvent(CSlotProgress{0, 57});
    front.OnBootEvent(COtherServerSeen{"benchpc", 0x0100000A});
    front.OnBootEvent(CSlotLabel{0, ""});
    front.OnBootEvent(CSlotProgress{0, -1});
    front.OnBootEvent(CTransferCompleted{unit, 1000, 20});
    front.OnBootEvent(CTransferHalted{unit, 10, 20});
    EXPECT_EQ(err.Text(),
              "progress: slot 0 HV7A 0%\n"
              "status: transfer started\n"
              "progress: slot 0 HV7A 57%\n"
              "status: transfer done\n");
    EXPECT_EQ(out.Text(), "");
}

TEST_F(HeadlessFrontTest, TerminalTextIsConvertedAndOwnLinesStartOnANewLine) {
    CHeadlessFront front = Make(false);
    for (const std::string s : {"Boot\r", "\n", "Press any key\x07", "\r\n", "<Record>"})
        front.OnSerialText(std::vector<uint8_t>(s.begin(), s.end()));
    front.OnBootEvent(CTransferFailed{{}, EFailReason::LineFailed, "hung up", 0, 0});
    EXPECT_EQ(err.Text(), "Boot\nPress any key{07}\n<Record>\nstatus: transfer failed\n");
}

// Such a name could not be saved as it is; the stored one is kept.
TEST_F(HeadlessFrontTest, ArgumentsWithControlBytesAreRefusedOneLineEach) {
    CHeadlessFront front = Make(false);
    app.AttachFront(&front);
    app.SetCommandLine({"/fgood.bin", "-fa\nBOOTNET=0.bin"});
    app.LoadConfig();
    EXPECT_EQ(err.Text(),
              "orxboot: /f ignored: the boot file name holds a line break or a control "
              "character: a?BOOTNET=0.bin\n");
    EXPECT_EQ(app.Config().m_strBootFile, "good.bin");
}

}  // namespace
