// What the terminal shows for the bytes a port received.
#include <gtest/gtest.h>

#include "base/TerminalText.h"
#include "tests/CaseName.h"

namespace {

struct CTextCase {
    const char* pszName;
    std::string strBytes;
    std::string strShown;
};

std::string Shown(const std::string& s, bool& bAfterCr) {
    return TerminalDisplayText(reinterpret_cast<const uint8_t*>(s.data()), s.size(), bAfterCr);
}

class TerminalText : public ::testing::TestWithParam<CTextCase> {};

TEST_P(TerminalText, Converts) {
    bool bAfterCr = false;
    EXPECT_EQ(Shown(GetParam().strBytes, bAfterCr), GetParam().strShown);
}

std::string Repeated(const std::string& s, size_t n) {
    std::string out;
    while (n--) out += s;
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    TerminalText, TerminalText,
    ::testing::Values(
        CTextCase{"LineBreaksOfEveryKind", "A\r\nB\nC\r", "A\nB\nC\n"},
        CTextCase{"CrCrLfIsTwoBreaks", "a\r\r\nb", "a\n\nb"},
        CTextCase{"LfCrIsTwoBreaks", "a\n\rb", "a\n\nb"},
        CTextCase{"ChunkStartingWithLf", "\ny", "\ny"},
        CTextCase{"ControlBytesInBraces", std::string("\x00\x1b[0m", 5), "{00}{1B}[0m"},
        CTextCase{"BackspaceDropped", "ab\bc\b", "abc"}, CTextCase{"TabKept", "a\tb", "a\tb"},
        CTextCase{"DeleteAndHighBytes", "\x7f\x80\xff", "{7F}{80}{FF}"},
        CTextCase{"PrintableRange", " ~", " ~"}, CTextCase{"Empty", "", ""},
        CTextCase{"NothingOfALongChunkIsCut", std::string(1000, '\x01'), Repeated("{01}", 1000)}),
    CaseName());

// Bytes posted one at a time (as during a go-ahead wait) still show CR LF as one break.
TEST(TerminalTextStream, CrLfSplitOverChunksIsOneBreak) {
    bool bAfterCr = false;
    std::string shown;
    for (const char* psz : {"a", "\r", "\n", "b\r", "\nc\r", "\r", "x", "\n"})
        shown += Shown(psz, bAfterCr);
    EXPECT_EQ(shown, "a\nb\nc\n\nx\n");
}

// A log line on a terminal: an escape sequence cannot act, a UTF-8 path stays readable.
TEST(TerminalTextLog, ControlBytesShownAsHexOthersKept) {
    EXPECT_EQ(ControlBytesShown("Boot File '/home/jos\xC3\xA9/\x1B[2J.bin'\x7F"),
              "Boot File '/home/jos\xC3\xA9/{1B}[2J.bin'{7F}");
}

}  // namespace
