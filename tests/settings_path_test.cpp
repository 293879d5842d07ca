// Which settings file a run reads and saves.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "platform/SettingsPath.h"
#include "tests/CaseName.h"
#include "tests/TestImage.h"

namespace {

struct CPathCase {
    const char* pszName;
    const char* pszLocalMode;  // "file" with this mode, "dir", or nullptr: none in the folder
    std::optional<std::string> strXdg;   // under the temp folder; nullopt: unset
    std::optional<std::string> strHome;  // likewise
    std::string strExpected;             // under the temp folder, "./" for the current one
    bool bInCurrentDir;
    bool bReadOnly;
};

const CPathCase kCases[] = {
    {"local file wins", "0644", "xdg", "home", "work/orxboot.ini", true, false},
    {"group-writable is writable", "0460", "xdg", "home", "work/orxboot.ini", true, false},
    {"config home", nullptr, "xdg", "home", "xdg/orxboot/orxboot.ini", false, false},
    {"folder is no file", "dir", "xdg", "home", "xdg/orxboot/orxboot.ini", false, false},
    {"empty config home", nullptr, "", "home", "home/.config/orxboot/orxboot.ini", false, false},
    {"unset", nullptr, std::nullopt, "home", "home/.config/orxboot/orxboot.ini", false, false},
    {"neither", nullptr, std::nullopt, std::nullopt, "./.config/orxboot/orxboot.ini", false, false},
};

class SettingsPath : public ::testing::TestWithParam<CPathCase> {
protected:
    void TearDown() override { std::filesystem::current_path(m_strOldCwd); }
    std::string m_strOldCwd = std::filesystem::current_path();
};

TEST_P(SettingsPath, FindsTheFileTheRunUses) {
    const CPathCase& c = GetParam();
    CTempDir dir;
    const std::string strWork = dir.Path("work");
    std::filesystem::create_directories(strWork);
    const std::string strLocal = strWork + "/orxboot.ini";
    if (c.pszLocalMode && std::string(c.pszLocalMode) == "dir") {
        std::filesystem::create_directories(strLocal);
    } else if (c.pszLocalMode) {
        WriteFile(strLocal, {'[', 'P', ']', '\n'});
        ASSERT_EQ(chmod(strLocal.c_str(), std::strtoul(c.pszLocalMode, nullptr, 8)), 0);
    }
    const auto under = [&](const std::string& s) { return s.empty() ? s : dir.Path(s); };
    CScopedEnv xdg("XDG_CONFIG_HOME", c.strXdg ? std::optional(under(*c.strXdg)) : std::nullopt);
    CScopedEnv home("HOME", c.strHome ? std::optional(under(*c.strHome)) : std::nullopt);
    std::filesystem::current_path(strWork);

    const CSettingsLocation loc = LocateSettings("orxboot");
    const std::string strWant =
        c.strExpected.rfind("./", 0) == 0 ? c.strExpected : dir.Path(c.strExpected);
    EXPECT_EQ(loc.strPath, strWant);
    EXPECT_EQ(loc.bInCurrentDir, c.bInCurrentDir);
    EXPECT_EQ(loc.bReadOnly, c.bReadOnly);
}

INSTANTIATE_TEST_SUITE_P(Cases, SettingsPath, ::testing::ValuesIn(kCases), CaseName());

}  // namespace
