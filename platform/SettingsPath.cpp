#include "platform/SettingsPath.h"

#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace {
// By the mode bits, not by access(): root may write anything, yet the user marked it
// read-only. A file that is not there yet is written.
bool HasNoWriteBit(const struct stat& st) {
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}
}  // namespace

CSettingsLocation LocateSettings(const std::string& strExeName) {
    CSettingsLocation loc;
    const std::string strFile = strExeName + ".ini";
    struct stat st {};
    if (stat(strFile.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        char szCwd[PATH_MAX];
        loc.strPath = getcwd(szCwd, sizeof szCwd) ? std::string(szCwd) + "/" + strFile : strFile;
        loc.bInCurrentDir = true;
        loc.bReadOnly = HasNoWriteBit(st);
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
    loc.bReadOnly = stat(loc.strPath.c_str(), &st) == 0 && HasNoWriteBit(st);
    return loc;
}

std::string StateFolder(const std::string& strExeName) {
    // A relative XDG_STATE_HOME is to be ignored: it would follow the current directory.
    const char* pszState = std::getenv("XDG_STATE_HOME");
    if (pszState && *pszState == '/') return std::string(pszState) + "/" + strExeName;
    const char* pszHome = std::getenv("HOME");
    return std::string(pszHome && *pszHome ? pszHome : ".") + "/.local/state/" + strExeName;
}
