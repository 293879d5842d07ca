#pragma once
#include <string>

// Where the settings file of the program lives: "<exe>.ini" in the current directory
// when one is there, else $XDG_CONFIG_HOME/<exe>/<exe>.ini (default ~/.config).
struct CSettingsLocation {
    std::string strPath;
    bool bInCurrentDir = false;
    bool bReadOnly = false;  // the file has no write permission bit at all, wherever it is
};
CSettingsLocation LocateSettings(const std::string& strExeName);

// The folder for what the program keeps between runs that is not a setting (its boot
// history): $XDG_STATE_HOME/<exe> (default ~/.local/state/<exe>).
std::string StateFolder(const std::string& strExeName);
