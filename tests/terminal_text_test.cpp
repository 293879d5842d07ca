// What the terminal shows for the bytes a port received.
#include <gtest/gtest.h>

#include "app/TerminalText.h"
#include "tests/CaseName.h"

namespace {

struct CTextCase {
    const char* pszName;
    std::string strBytes;
    std::string strShown;
};

class TerminalText : public ::testing::TestWithParam<CTextCase> {};

TEST_P(TerminalText, Converts) {
    const std::string& s = GetParam().strBytes;
    EXPECT_EQ(TerminalDisplayText(reinterpret_cast<const uint8_t*>(s.data()), s.size()),
              GetParam().strShown);
}

INSTANTIATE_TEST_SUITE_P(
    TerminalText, TerminalText,
    ::testing::Values(
        CTextCase{"LineBreaksOfEveryKind", "A\r\nB\nC\r", "A\nB\nC\n"},
        CTextCase{"CrCrLfIsTwoBreaks", "a\r\r\nb", "a\n\nb"},
        CTextCase{"LfCrIsTwoBreaks", "a\n\rb", "a\n\nb"},
        CTextCase{"ChunkEndingInCr", "x\r", "x\n"}, CTextCase{"ChunkStartingWithLf", "\ny", "\ny"},
        CTextCase{"ControlBytesInBraces", std::string("\x00\x1b[0m", 5), "{00}{1B}[0m"},
        CTextCase{"BackspaceDropped", "ab\bc\b", "abc"}, CTextCase{"TabKept", "a\tb", "a\tb"},
        CTextCase{"DeleteAndHighBytes", "\x7f\x80\xff", "{7F}{80}{FF}"},
        CTextCase{"PrintableRange", " ~", " ~"}, CTextCase{"Empty", "", ""},
        CTextCase{"OnlyBackspaces", "\b\b", ""}),
    CaseName());

TEST(TerminalTextLong, NothingOfALongChunkIsCut) {
    const std::string s(1000, '\x01');
    const std::string shown =
        TerminalDisplayText(reinterpret_cast<const uint8_t*>(s.data()), s.size());
    EXPECT_EQ(shown.size(), 4000u);
}

}  // namespace

namespace {

// Bytes posted one at a time (as during a go-ahead wait) still show CR LF as one break.
TEST(TerminalTextStream, CrLfSplitOverChunksIsOneBreak) {
    const std::string chunks[] = {"a", "\r", "\n", "b\r", "\nc\r", "\r", "x", "\n"};
    bool bAfterCr = false;
    std::string shown;
    for (const auto& s : chunks)
        shown +=
            TerminalDisplayText(reinterpret_cast<const uint8_t*>(s.data()), s.size(), bAfterCr);
    EXPECT_EQ(shown, "a\nb\nc\n\nx\n");
}

}  // namespace

namespace {

// A log line on a terminal: an escape sequence cannot act, a UTF-8 path stays readable.
TEST(TerminalTextLog, ControlBytesShownAsHexOthersKept) {
    EXPECT_EQ(ControlBytesShown("Boot File '/home/jos\xC3\xA9/\x1B[2J.bin'\x7F"),
              "Boot File '/home/jos\xC3\xA9/{1B}[2J.bin'{7F}");
}

}  // namespace
