#include "base/Config.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/IniCodec.h"
#include "platform/TextProfile.h"
#include "tests/CaseName.h"
#include "tests/ConfigSnapshot.h"
#include "tests/TestImage.h"

namespace {

std::unique_ptr<CORXBootConfig> Loaded(const std::string& strText) {
    CTextProfile profile(strText);
    auto pConfig = std::make_unique<CORXBootConfig>();
    pConfig->Load(profile);
    return pConfig;
}

const CSnapshot kDefaults = {"",   0,     0, 1, "COM1", 115200, 0,  1,  1,     "ORXHV7410",
                             true, false, 0, 0, false,  true,   {}, {}, false, true};

TEST(ConfigLoad, FirstStartWithoutSettingsGivesTheDefaults) {
    EXPECT_EQ(Snap(*Loaded("")), kDefaults);
    EXPECT_EQ(Snap(*Loaded("[OTHER]\nCOMBAUD=9600\n")), kDefaults);
}

// Every field away from its default, some with odd values, as a hand-edited file may hold.
TEST(ConfigLoad, StoredValuesAreKeptAsTheyReadAndSurviveASave) {
    const auto pc = Loaded(
        "[params]\nbootnet=2\nCOMBAUD=9600abc\nNETTYPE=7\nCOMPROTOCOL=-1\nNETCACHE=0\n"
        "NETDHCP=5\nTRANCLOSEDONE=0\nWIZARDMODE=x\nTERMINAL=-3\nCOMAUTOMENU=0\nCOMPORT=\n"
        "NETNODE=\nBOOTFILE=/srv/boot images/NK.bin\nBOOTSERIAL=1\nCOMOPENALLPORTS=0\n"
        "NETIP=-939415360\nNETIPMASK=8454143\nTRANAUTOSTART=1\n"
        "BOOTFILE0=a.bin\nBOOTFILE1=\nBOOTFILE2=c.bin\nNETNODE0=U1\nNETNODE1=U2\nNETNODE3=U4\n");
    const CORXBootConfig& c = *pc;
    // WIZARDMODE=x has no digits and reads as 0; an empty text is a value of its own, not the
    // default; lists stop at the first empty or missing entry.
    // clang-format off
    const CSnapshot kExpected = {"/srv/boot images/NK.bin", 2, 1, 0, "", 9600, -1, 0, 7, "", false,
        true, Addr("192.168.1.200"), Addr("255.255.128.0"), true, false, {"a.bin"}, {"U1", "U2"},
        true, false};
    // clang-format on
    EXPECT_EQ(Snap(c), kExpected);

    CTextProfile profile("; user notes\n[PARAMS]\nNETIP=5\n");
    c.Save(profile);
    EXPECT_EQ(Snap(*Loaded(profile.m_strText)), Snap(c));
    EXPECT_EQ(profile.m_strText.rfind("; user notes\n", 0), 0u);
}

TEST(ConfigSave, WritesEveryKeyInTheFixedOrder) {
    auto pc = Loaded("");
    CORXBootConfig& c = *pc;
    c.m_strBootFile = "C:\\img\\nk.bin";
    c.m_arrBootFiles = {"C:\\img\\nk.bin", "D:\\old.bin"};
    c.m_arrNetNodes = {"ORXHV7001"};
    c.m_dwNetIp = Addr("192.168.1.200");
    c.m_dwNetIpMask = Addr("255.255.255.0");
    CTextProfile profile;
    c.Save(profile);
    EXPECT_EQ(
        profile.m_strText,
        "[PARAMS]\nBOOTFILE=C:\\img\\nk.bin\nBOOTFILE0=C:\\img\\nk.bin\nBOOTFILE1=D:\\old.bin\n"
        "BOOTNET=0\nBOOTSERIAL=0\nCOMOPENALLPORTS=1\nCOMPORT=COM1\nCOMBAUD=115200\n"
        "COMPROTOCOL=0\nCOMAUTOMENU=1\nNETTYPE=1\nNETNODE=ORXHV7410\nNETNODE0=ORXHV7001\n"
        "NETCACHE=1\nNETDHCP=0\nNETIP=-939415360\nNETIPMASK=16777215\nTRANAUTOSTART=0\n"
        "TRANCLOSEDONE=1\nTERMINAL=0\nWIZARDMODE=1\n");
}

TEST(ConfigSave, ListsKeepSixteenEntriesBothWays) {
    auto pc = Loaded("");
    CORXBootConfig& c = *pc;
    std::string strText = "[PARAMS]\n";
    for (int i = 0; i < 20; ++i) {
        c.m_arrBootFiles.push_back("f" + std::to_string(i) + ".bin");
        strText += "NETNODE" + std::to_string(i) + "=N\n";
    }
    EXPECT_EQ(Loaded(strText)->m_arrNetNodes.size(), 16u);
    CTextProfile profile;
    c.Save(profile);
    std::string strValue;
    EXPECT_FALSE(IniFindValue(profile.m_strText, "PARAMS", "BOOTFILE16", strValue));
    EXPECT_EQ(Loaded(profile.m_strText)->m_arrBootFiles,
              std::vector<std::string>(c.m_arrBootFiles.begin(), c.m_arrBootFiles.begin() + 16));
}

TEST(ConfigSave, ShortenedListDoesNotGrowBack) {
    CTextProfile profile(
        "[PARAMS]\nBOOTFILE0=a\nBOOTFILE1=b\nBOOTFILE2=c\nBOOTFILE3=d\nNETNODE0=n\n");
    CORXBootConfig c;
    c.Load(profile);
    c.m_arrBootFiles = {"a"};  // the others could not be opened
    c.m_arrNetNodes.clear();
    c.Save(profile);
    c.Load(profile);
    EXPECT_EQ(c.m_arrBootFiles, std::vector<std::string>{"a"});
    EXPECT_TRUE(c.m_arrNetNodes.empty());
    // A new entry later must not uncover the old third and fourth.
    c.m_arrBootFiles.insert(c.m_arrBootFiles.begin(), "z");
    c.Save(profile);
    c.Load(profile);
    EXPECT_EQ(c.m_arrBootFiles, (std::vector<std::string>{"z", "a"}));
}

struct CArgsCase {
    const char* pszName;
    std::vector<std::string> arrArgs;
    const char* pszChanged;  // the settings the arguments change, as lines of the file
};

// Stored settings chosen so that every option visibly changes something.
const char* const kStored =
    "BOOTFILE=old.bin\nBOOTNET=5\nBOOTSERIAL=1\nCOMOPENALLPORTS=1\nCOMPORT=COM1\n"
    "COMBAUD=115200\nCOMPROTOCOL=0\nTERMINAL=0\nWIZARDMODE=1\n";

const CArgsCase kArgsCases[] = {
    {"capital F is the option letter", {"/F:\\img\\x.bin"}, "BOOTFILE=:\\img\\x.bin"},
    {"control bytes in f or c change nothing", {"/fa\nb.bin", "/cCOM3\r"}, ""},
    {"f takes the rest as it is", {"-fC:\\My Images\\NK.BIN"}, "BOOTFILE=C:\\My Images\\NK.BIN"},
    {"empty f empties the file", {"/f"}, "BOOTFILE="},
    {"no marker: first letter is the option", {"fast.bin"}, "BOOTFILE=ast.bin"},
    {"baud leaves serial on", {"-B9600"}, "COMBAUD=9600"},
    {"baud 0 turns serial off", {"/b0"}, "COMBAUD=0\nBOOTSERIAL=0"},
    {"baud from leading digits", {"/b14400x"}, "COMBAUD=14400"},
    {"port turns serial on for one port", {"/c", "/cCOM3"}, "COMPORT=COM3\nCOMOPENALLPORTS=0"},
    {"port keeps its case", {"/Ccom3"}, "COMPORT=com3\nCOMOPENALLPORTS=0"},
    {"bare c only turns serial off", {"c"}, "BOOTSERIAL=0"},
    {"later argument wins", {"/cCOM2", "/c"}, "COMPORT=COM2\nBOOTSERIAL=0\nCOMOPENALLPORTS=0"},
    {"n alone is 1", {"/n"}, "BOOTNET=1"},
    {"n keeps its number", {"/n2"}, "BOOTNET=2"},
    {"n0 turns network off", {"-N0"}, "BOOTNET=0"},
    {"4 selects 32K blocks", {"/4"}, "COMPROTOCOL=1"},
    {"5 after 4 selects 256 blocks", {"/4", "/5"}, ""},
    {"t alone opens the terminal", {"/t"}, "TERMINAL=1"},
    {"t with 0 after t", {"/t", "/t0"}, ""},
    {"w0 chooses the advanced sheet", {"/w0"}, "WIZARDMODE=0"},
    {"w alone is on", {"/w0", "/W"}, ""},
    {"ignored arguments", {"", "/", "-", "--", "//fx", "/x", "/?", "/help", "Z9", "\xE9t"}, ""},
};

class ConfigArgs : public testing::TestWithParam<CArgsCase> {};

TEST_P(ConfigArgs, OverrideTheStoredSettings) {
    const CArgsCase& c = GetParam();
    auto pConfig = Loaded(std::string("[PARAMS]\n") + kStored);
    for (const std::string& strArg : c.arrArgs) pConfig->ParseParam(strArg);
    // The first of two equal keys is the one read.
    const auto pExpected = Loaded(std::string("[PARAMS]\n") + c.pszChanged + "\n" + kStored);
    EXPECT_EQ(Snap(*pConfig), Snap(*pExpected));
}

INSTANTIATE_TEST_SUITE_P(Cases, ConfigArgs, testing::ValuesIn(kArgsCases), CaseName());

}  // namespace
