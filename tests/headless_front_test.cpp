#include <gtest/gtest.h>

#include "Fakes.h"
#include "app/HeadlessFront.h"
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

TEST_F(HeadlessFrontTest, LogLinesAsTheLogShowsThemAndNetworkNamesMadeHarmlessOnATerminal) {
    for (bool bTty : {false, true}) {
        CStream o, e;
        CHeadlessFront front(app, o.m_pFile, e.m_pFile, bTty, false);
        front.OnBootText(BOOT_SLOT_LOG, "U\x1b[2J: Starting Transfer\r\n");
        front.OnBootText(BOOT_SLOT_LOG, "");  // clears the log: nothing to print
        front.OnBootText(BOOT_SLOT_LOG, "All servers halted\r\n");
        const std::string strName = bTty ? "U{1B}[2J" : "U\x1b[2J";
        EXPECT_EQ(o.Text(), strName + ": Starting Transfer\nAll servers halted\n") << bTty;
        EXPECT_EQ(e.Text(), "");
    }
}

TEST_F(HeadlessFrontTest, ProgressAndStatusGoToStderrOneLinePerChange) {
    CHeadlessFront front = Make(false);
    front.OnBootText(0, "HV7A\r\n");
    front.OnBootProgress(0, 0);
    front.OnBootProgress(0, 0);
    front.OnBootProgress(1, -1);
    front.OnBootText(-2, "");
    front.OnBootProgress(0, 57);
    front.OnBootText(0, "");
    front.OnBootProgress(0, -1);
    front.OnBootText(-3, "");
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
    front.OnBootText(-4, "");
    EXPECT_EQ(err.Text(), "Boot\nPress any key{07}\n<Record>\nstatus: transfer failed\n");
}

}  // namespace
