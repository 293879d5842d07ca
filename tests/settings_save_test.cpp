// The end of a run: a read-only settings file is left alone wherever it is found, and a
// save that fails is told once, with the old file kept whole.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "headless/HeadlessFront.h"
#include "tests/Fakes.h"
#include "tests/TestImage.h"

namespace {

const std::string kOld = "; mine\n[PARAMS]\nCOMBAUD=9600\n";

// The parameter: the file stands in the current directory, else in the per-user place.
class SettingsSave : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        std::filesystem::create_directories(m_dir.Path("work"));
        std::filesystem::current_path(m_dir.Path("work"));
        m_strPath = m_dir.Path(GetParam() ? "work/orxboot.ini" : "cfg/orxboot/orxboot.ini");
        std::filesystem::create_directories(std::filesystem::path(m_strPath).parent_path());
        WriteFile(m_strPath, Bytes(kOld));
        m_services.pSockets = nullptr;
        m_app.AttachFront(&m_front);
    }
    void TearDown() override { std::filesystem::current_path(m_strOldCwd); }
    // A run that changes a setting, then ends.
    void Run() {
        m_app.LocateSettingsFile("orxboot");
        m_app.LoadConfig();
        m_app.Config().m_nComBaud = 57600;
        m_app.SaveConfig();
    }
    std::string Stored() const {
        std::stringstream ss;
        ss << std::ifstream(m_strPath, std::ios::binary).rdbuf();
        return ss.str();
    }

    std::string m_strOldCwd = std::filesystem::current_path();
    CTempDir m_dir;
    CScopedEnv m_xdg{"XDG_CONFIG_HOME", m_dir.Path("cfg")};
    CFakeSystem m_sys;
    CPlatformServices m_services = m_sys.Services();
    CORXBootApp m_app{m_services};
    CStream m_out, m_err;
    CHeadlessFront m_front{m_app, m_out.m_pFile, m_err.m_pFile, false, false};
    std::string m_strPath;
};

// Root may write any file, so the mode bits decide.
TEST_P(SettingsSave, FileWithoutWriteBitsIsLeftByteForByte) {
    ASSERT_EQ(chmod(m_strPath.c_str(), 0444), 0);
    Run();
    EXPECT_EQ(Stored(), kOld);
    EXPECT_EQ(m_out.Text() + m_err.Text(), "");
}

TEST_P(SettingsSave, FailedSaveIsToldOnceAndKeepsTheOldFile) {
    // A file size limit fails the write the way a full disk does.
    struct rlimit old {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    struct rlimit small = old;
    small.rlim_cur = kOld.size();
    auto prevHandler = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    Run();
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, prevHandler);

    const std::string strTold = "The settings could not be saved to '" + m_strPath +
                                "': File too large (27). The file keeps its previous contents.\n";
    EXPECT_EQ(m_out.Text(), strTold);
    EXPECT_EQ(m_err.Text(), strTold);
    EXPECT_EQ(Stored(), kOld);
}

INSTANTIATE_TEST_SUITE_P(Places, SettingsSave, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "CurrentDir" : "PerUser"; });

}  // namespace
