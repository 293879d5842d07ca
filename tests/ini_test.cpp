#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "platform/IniCodec.h"
#include "platform/IniProfile.h"
#include "platform/LastError.h"
#include "tests/CaseName.h"
#include "tests/TestImage.h"

namespace fs = std::filesystem;

namespace {

struct CReadCase {
    const char* pszName;
    std::string strText;
    const char* pszSection;
    const char* pszKey;
    bool bFound;
    const char* pszValue;
};

const CReadCase kReadCases[] = {
    {"plain", "[PARAMS]\nBOOTNET=1\n", "PARAMS", "BOOTNET", true, "1"},
    {"names without case", "[params]\nbootNet=1\n", "PARAMS", "BOOTNET", true, "1"},
    {"blanks trimmed", "[ PARAMS ]\n\t BOOTFILE =  C:\\a b.bin \t\n", "PARAMS", "BOOTFILE", true,
     "C:\\a b.bin"},
    {"missing key", "[PARAMS]\nBOOTNET=1\n", "PARAMS", "BOOTSERIAL", false, ""},
    {"missing section", "[OTHER]\nBOOTNET=1\n", "PARAMS", "BOOTNET", false, ""},
    {"key elsewhere", "[OTHER]\nBOOTNET=1\n[PARAMS]\nX=2\n", "PARAMS", "BOOTNET", false, ""},
    {"duplicate section: first only", "[PARAMS]\nA=1\n[PARAMS]\nB=2\n", "PARAMS", "B", false, ""},
    {"comment is no key", "[PARAMS]\n;A=1\n  ; B=2\n", "PARAMS", "A", false, ""},
    {"value holds '='", "[PARAMS]\nA=b=c\n", "PARAMS", "A", true, "b=c"},
    {"value keeps inner CR", "[PARAMS]\nA=b\rc\n", "PARAMS", "A", true, "b\rc"},
    {"unclosed header is no section", "[PARAMS]\n[OTHER\nA=1\n", "PARAMS", "A", true, "1"},
    {"line without '=' skipped", "[PARAMS]\nBOOTNET\nBOOTNET=3\n", "PARAMS", "BOOTNET", true, "3"},
    {"byte order mark", "\xEF\xBB\xBF[PARAMS]\nA=1", "PARAMS", "A", true, "1"},
    {"text after header", "[PARAMS] ; main\nA=1\n", "PARAMS", "A", true, "1"},
};

class IniRead : public testing::TestWithParam<CReadCase> {};

TEST_P(IniRead, FindsTheValueWindowsWould) {
    const CReadCase& c = GetParam();
    std::string strValue = "unchanged";
    EXPECT_EQ(IniFindValue(c.strText, c.pszSection, c.pszKey, strValue), c.bFound);
    if (c.bFound) {
        EXPECT_EQ(strValue, c.pszValue);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, IniRead, testing::ValuesIn(kReadCases), CaseName());

struct CWriteCase {
    const char* pszName;
    std::string strBefore;
    const char* pszKey;
    std::string strValue;
    std::string strAfter;
};

const CWriteCase kWriteCases[] = {
    {"new file", "", "A", "1", "[PARAMS]\nA=1\n"},
    {"replace in place, the rest byte for byte",
     "; top\n[PARAMS]\nX = 5 ; c\n  a = 1 \ngarbage line\n[O]\na=9\n", "A", "2",
     "; top\n[PARAMS]\nX = 5 ; c\na=2\ngarbage line\n[O]\na=9\n"},
    {"add after the last key of the section", "[PARAMS]\nA=1\n\n; o\n[O]\nx=1\n", "B", "2",
     "[PARAMS]\nA=1\nB=2\n\n; o\n[O]\nx=1\n"},
    {"add to a section without keys", "[PARAMS]\n[O]\n", "B", "2", "[PARAMS]\nB=2\n[O]\n"},
    {"add the section at the end", "[O]\nx=1\n", "A", "1", "[O]\nx=1\n\n[PARAMS]\nA=1\n"},
    {"no second blank line", "[O]\nx=1\n\n", "A", "1", "[O]\nx=1\n\n[PARAMS]\nA=1\n"},
    {"last line without line ending", "[PARAMS]\nA=1", "B", "2", "[PARAMS]\nA=1\nB=2\n"},
    {"new section after a line without ending", "x", "A", "1", "x\n\n[PARAMS]\nA=1\n"},
    // CR LF kept when replacing and adding: KeepsCommentsLineEndingsAndModeOfAnEditedFile.
    {"CR LF new section", "[O]\r\nx=1\r\n", "A", "1", "[O]\r\nx=1\r\n\r\n[PARAMS]\r\nA=1\r\n"},
    {"first of duplicate keys replaced", "[PARAMS]\nA=1\nA=2\n", "A", "3", "[PARAMS]\nA=3\nA=2\n"},
    {"keys before any section untouched", "A=0\n", "A", "1", "A=0\n\n[PARAMS]\nA=1\n"},
    {"empty value", "[PARAMS]\nA=1\n", "A", "", "[PARAMS]\nA=\n"},
    {"padding and inner CR kept", "[PARAMS]\nA=1\n", "A", "  a\rb\t ", "[PARAMS]\nA=  a\rb\t \n"},
    {"line feed cannot inject keys", "", "A", "x\n[PARAMS]\nBOOTNET=1", "[PARAMS]\nA=x\n"},
    {"byte order mark kept", "\xEF\xBB\xBF", "A", "1", "\xEF\xBB\xBF[PARAMS]\nA=1\n"},
};

class IniWrite : public testing::TestWithParam<CWriteCase> {};

TEST_P(IniWrite, ChangesOnlyTheKeyLine) {
    const CWriteCase& c = GetParam();
    std::string strText = c.strBefore;
    ASSERT_TRUE(IniWriteValue(strText, "PARAMS", c.pszKey, c.strValue));
    EXPECT_EQ(strText, c.strAfter);
    std::string strRead;
    ASSERT_TRUE(IniFindValue(strText, "PARAMS", c.pszKey, strRead));
    EXPECT_EQ(strRead, IniStoredValue(c.strValue));
}

INSTANTIATE_TEST_SUITE_P(Cases, IniWrite, testing::ValuesIn(kWriteCases), CaseName());

TEST(IniParseInt, LeadingDigitsAsGetProfileInt) {
    // clang-format off
    const std::pair<const char*, int32_t> cases[] = {
        {"12abc", 12}, {"abc", 0}, {"-5", -5}, {"", 0}, {"  42", 42}, {"+7", 7}, {"-", 0},
        {"- 3", 0}, {"007", 7}, {"1 2", 1}, {"0x1A", 0}, {"-939415360", -939415360},
        {"2147483647", INT32_MAX}, {"-2147483648", INT32_MIN},
        // Wider numbers keep their low 32 bits, so an address written unsigned reads back.
        {"3355551936", -939415360}, {"4294967296", 0},
    };
    // clang-format on
    for (const auto& [psz, n] : cases) EXPECT_EQ(IniParseInt(psz), n) << '"' << psz << '"';
}

class IniProfileFile : public testing::Test {
protected:
    // The folder is made read-only by one test; the temporary folder must still go.
    void TearDown() override { chmod(m_dir.c_str(), 0700); }
    static std::string ReadFile(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    // Every name in the folder: a failed save must leave no temporary file behind.
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(m_dir)) names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
    CTempDir m_temp;
    fs::path m_dir = m_temp.Root();
    fs::path m_path = m_dir / "orxboot.ini";
};

TEST_F(IniProfileFile, MissingFileReadsDefaultsAndIsNotCreatedWithoutWrites) {
    CIniProfile profile(m_path.string());
    EXPECT_EQ(profile.GetProfileInt("PARAMS", "COMBAUD", 115200), 115200);
    EXPECT_EQ(profile.GetProfileString("PARAMS", "COMPORT", "COM1"), "COM1");
    EXPECT_TRUE(profile.Flush());
    EXPECT_TRUE(Names().empty());
}

TEST_F(IniProfileFile, CreatesItsFolder) {
    const fs::path nested = m_dir / "config" / "orxboot" / "orxboot.ini";
    {
        CIniProfile profile(nested.string());
        profile.WriteProfileInt("PARAMS", "NETIP", -939415360);
        profile.WriteProfileString("PARAMS", "BOOTFILE", "/srv/img/nk.bin");
        ASSERT_TRUE(profile.Flush());
    }
    EXPECT_EQ(ReadFile(nested), "[PARAMS]\nNETIP=-939415360\nBOOTFILE=/srv/img/nk.bin\n");
}

TEST_F(IniProfileFile, KeepsCommentsLineEndingsAndModeOfAnEditedFile) {
    WriteFile(m_path, Bytes("; kept\r\n[Other]\r\nk = v\r\n[PARAMS]\r\nCOMBAUD=9600\r\n"));
    ASSERT_EQ(chmod(m_path.c_str(), 0640), 0);
    CIniProfile profile(m_path.string());
    profile.WriteProfileInt("PARAMS", "COMBAUD", 57600);
    profile.WriteProfileInt("PARAMS", "BOOTNET", 1);
    ASSERT_TRUE(profile.Flush());
    EXPECT_EQ(ReadFile(m_path),
              "; kept\r\n[Other]\r\nk = v\r\n[PARAMS]\r\nCOMBAUD=57600\r\nBOOTNET=1\r\n");
    struct stat st {};
    ASSERT_EQ(stat(m_path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    CIniProfile again(m_path.string());
    again.WriteProfileInt("PARAMS", "COMBAUD", 57600);
    ASSERT_TRUE(again.Flush());
    struct stat after {};
    ASSERT_EQ(stat(m_path.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, st.st_ino) << "unchanged values do not rewrite the file";
}

TEST_F(IniProfileFile, WritesThroughALinkAndKeepsTheLink) {
    const fs::path target = m_dir / "real.ini";
    WriteFile(target, Bytes("[PARAMS]\nBOOTNET=0\n"));
    fs::create_symlink(target, m_path);
    CIniProfile profile(m_path.string());
    profile.WriteProfileInt("PARAMS", "BOOTNET", 1);
    ASSERT_TRUE(profile.Flush());
    EXPECT_TRUE(fs::is_symlink(m_path));
    EXPECT_EQ(ReadFile(target), "[PARAMS]\nBOOTNET=1\n");
}

// Runs the body in a child process as an unprivileged user (root ignores file modes);
// the child's exit code is the body's result.
int RunUnprivileged(const std::function<int()>& body) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(90);
        _exit(body());
    }
    int nStatus = 0;
    if (pid < 0 || waitpid(pid, &nStatus, 0) != pid || !WIFEXITED(nStatus)) return -1;
    return WEXITSTATUS(nStatus);
}

// A folder the new file cannot be made in, or a file that could not be read: the save fails
// and the file stays as it was, with nothing left beside it.
TEST_F(IniProfileFile, UnwritableFolderOrUnreadableFileIsNeverReplaced) {
    const std::string strOld = "[PARAMS]\nBOOTFILE=keep.bin\nBOOTNET=0\n";
    for (const auto& [nFileMode, nDirMode] : {std::pair{0666, 0555}, {0222, 0777}}) {
        SCOPED_TRACE(nFileMode);
        ASSERT_EQ(chmod(m_dir.c_str(), 0777), 0);
        WriteFile(m_path, Bytes(strOld));
        ASSERT_EQ(chmod(m_path.c_str(), nFileMode), 0);
        ASSERT_EQ(chmod(m_dir.c_str(), nDirMode), 0);
        const bool bReadable = nFileMode & 0444;
        const int nResult = RunUnprivileged([&] {
            CIniProfile profile(m_path.string());
            if (bReadable && profile.GetProfileString("PARAMS", "BOOTFILE", "") != "keep.bin")
                return 1;
            profile.WriteProfileInt("PARAMS", "BOOTNET", 1);
            if (profile.Flush()) return 2;
            return GetLastError() == EACCES ? 0 : 3;
        });
        EXPECT_EQ(nResult, 0);
        EXPECT_EQ(ReadFile(m_path), strOld);
        EXPECT_EQ(Names(), std::vector<std::string>{"orxboot.ini"});
    }
}

}  // namespace
