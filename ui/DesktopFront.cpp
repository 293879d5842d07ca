#include "ui/DesktopFront.h"

#include <QApplication>
#include <cstdlib>

#include "platform/SettingsPath.h"
#include "ui/FileDialog.h"
#include "ui/GuiFront.h"
#include "ui/Pictures.h"
#include "ui/QtMessageBox.h"
#include "ui/WindowPlaces.h"

bool HasDisplay() {
    for (const char* pszName : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* psz = std::getenv(pszName);
        if (psz && *psz) return true;
    }
    return false;
}

std::unique_ptr<QCoreApplication> MakeWindowApplication(int& argc, char** argv) {
    auto pGui = std::make_unique<QApplication>(argc, argv);
    // Sheets come and go on a mode switch; the program ends when the mode loop does.
    QApplication::setQuitOnLastWindowClosed(false);
    InitUiResources();
    QApplication::setWindowIcon(AppIcon());
    return pGui;
}

namespace {
// Built before the face that holds on to them.
struct CDesktopServices {
    CQtMessageBox m_qtBoxes;
    CQtFileDialog m_qtFiles;
    CWindowPlaces m_qtPlaces{QString::fromStdString(StateFolder("orxboot") + "/window.ini")};
};

class CDesktopFront : private CDesktopServices, public CGuiFront {
public:
    explicit CDesktopFront(CORXBootApp& app) : CGuiFront(app, m_qtBoxes, m_qtFiles, &m_qtPlaces) {}
};
}  // namespace

std::unique_ptr<IAppFront> MakeDesktopFront(CORXBootApp& app) {
    return std::make_unique<CDesktopFront>(app);
}
