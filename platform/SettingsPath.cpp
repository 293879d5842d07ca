#include "platform/SettingsPath.h"

#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

CSettingsLocation LocateSettings(const std::string& strExeName) {
    CSettingsLocation loc;
    const std::string strFile = strExeName + ".ini";
    struct stat st {};
    if (stat(strFile.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        char szCwd[PATH_MAX];
        loc.strPath = getcwd(szCwd, sizeof szCwd) ? std::string(szCwd) + "/" + strFile : strFile;
        loc.bInCurrentDir = true;
        // By the mode bits: root may write anything, yet the user marked it read-only.
        loc.bReadOnly = (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
        return loc;
    }
    const char* pszConfig = std::getenv("XDG_CONFIG_HOME");
    std::string strDir;
    if (pszConfig && *pszConfig) {
        strDir = pszConfig;
    } else {
        const char* pszHome = std::getenv("HOME");
        strDir = std::string(pszHome && *pszHome ? pszHome : ".") + "/.config";
    }
    loc.strPath = strDir + "/" + strExeName + "/" + strFile;
    return loc;
}
