#include <gtest/gtest.h>

#include <cstdio>

#include "Fakes.h"
#include "app/HeadlessFront.h"
#include "platform/WindowSystem.h"

namespace {

// Captures what the face writes to its two streams.
struct CStream {
    CStream() { m_pFile = open_memstream(&m_pBuf, &m_nSize); }
    ~CStream() {
        std::fclose(m_pFile);
        std::free(m_pBuf);
    }
    std::string Text() {
        std::fflush(m_pFile);
        return std::string(m_pBuf, m_nSize);
    }
    std::FILE* m_pFile = nullptr;
    char* m_pBuf = nullptr;
    size_t m_nSize = 0;
};

CMessage Text(int64_t wParam, const std::string& str) {
    CMessage m;
    m.nMsg = WM_BOOT_TEXT;
    m.wParam = wParam;
    m.strText = str;
    return m;
}

CMessage Progress(int64_t nSlot, int64_t nPercent) {
    CMessage m;
    m.nMsg = WM_BOOT_PROGRESS;
    m.wParam = nSlot;
    m.lParam = nPercent;
    return m;
}

class HeadlessFrontTest : public ::testing::Test {
protected:
    CHeadlessFront Make(bool bTty) {
        return CHeadlessFront(app, windows, out.m_pFile, err.m_pFile, bTty, false);
    }
    CFakeSystem sys;
    CORXBootApp app{sys.Services()};
    CWindowSystem windows;
    CStream out, err;
};

TEST_F(HeadlessFrontTest, LogLinesAsTheLogShowsThemAndNetworkNamesMadeHarmlessOnATerminal) {
    for (bool bTty : {false, true}) {
        CStream o, e;
        CHeadlessFront front(app, windows, o.m_pFile, e.m_pFile, bTty, false);
        auto m1 = Text(BOOT_SLOT_LOG, "U\x1b[2J: Starting Transfer\r\n");
        auto m2 = Text(BOOT_SLOT_LOG, "");  // clears the log: nothing to print
        auto m3 = Text(BOOT_SLOT_LOG, "All servers halted\r\n");
        front.OnMessage(m1);
        front.OnMessage(m2);
        front.OnMessage(m3);
        const std::string strName = bTty ? "U{1B}[2J" : "U\x1b[2J";
        EXPECT_EQ(o.Text(), strName + ": Starting Transfer\nAll servers halted\n") << bTty;
        EXPECT_EQ(e.Text(), "");
    }
}

TEST_F(HeadlessFrontTest, ProgressAndStatusGoToStderrOneLinePerChange) {
    CHeadlessFront front = Make(false);
    CMessage msgs[] = {Text(0, "HV7A\r\n"), Progress(0, 0),  Progress(0, 0),
                       Progress(1, -1),     Text(-2, ""),    Progress(0, 57),
                       Text(0, ""),         Progress(0, -1), Text(-3, "")};
    for (auto& m : msgs) front.OnMessage(m);
    EXPECT_EQ(err.Text(),
              "progress: slot 0 HV7A 0%\n"
              "status: transfer started\n"
              "progress: slot 0 HV7A 57%\n"
              "status: transfer done\n");
    EXPECT_EQ(out.Text(), "");
}

TEST_F(HeadlessFrontTest, TerminalTextIsConvertedAndOwnLinesStartOnANewLine) {
    CHeadlessFront front = Make(false);
    auto Serial = [](const std::string& s) {
        CMessage m;
        m.nMsg = WM_SERIAL_TEXT;
        m.bytes.assign(s.begin(), s.end());
        m.wParam = static_cast<int64_t>(s.size());
        return m;
    };
    for (const char* psz : {"Boot\r", "\n", "Press any key\x07", "\r\n", "<Record>"})
        front.OnTerminalText(Serial(psz));
    auto status = Text(-4, "");
    front.OnMessage(status);
    EXPECT_EQ(err.Text(), "Boot\nPress any key{07}\n<Record>\nstatus: transfer failed\n");
}

TEST(MakePrintableTest, ControlBytesOnlyAreReplaced) {
    EXPECT_EQ(MakePrintable("ORXHV7410"), "ORXHV7410");
    EXPECT_EQ(MakePrintable(std::string("a\0b\x7f\n", 5)), "a{00}b{7F}{0A}");
}

}  // namespace
