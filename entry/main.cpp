#include <unistd.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/HistoryReport.h"
#include "app/ImageInfoReport.h"
#include "app/ORXBootApp.h"
#include "headless/HeadlessFront.h"
#include "net/NetBootServer.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "platform/NetworkInfo.h"
#include "platform/Process.h"
#include "platform/SerialDevice.h"
#include "platform/SettingsPath.h"
#include "platform/StallWatch.h"
#include "platform/WindowSystem.h"
#include "ui/FileDialog.h"
#include "ui/GuiFront.h"
#include "ui/Pictures.h"
#include "ui/QtMessageBox.h"
#include "ui/WindowPlaces.h"

namespace {
constexpr long kMaxTransfersLimit = 100000;

const char kUsage[] =
    "Usage: orxboot [--headless] [options]\n"
    "Serves a boot image to HV7 and HV6 units over Ethernet and serial lines.\n"
    "Without --headless it opens its window.\n"
    "\n"
    "  --headless   run without a window: log on stdout, progress on stderr;\n"
    "               starts the servers at once\n"
    "  --info [--json] FILE\n"
    "               show what a boot image holds and check it, without sending it;\n"
    "               exit 1 with the reason when it is not sound\n"
    "  --history [--json]\n"
    "               show the boot history: one record per transfer, oldest first\n"
    "  --max-transfers N\n"
    "               at most N network transfers at once (1024), for benches\n"
    "  --help       show this text\n"
    "  --version    show the version\n"
    "\n"
    "Options (marked by / or -, the value follows the letter directly):\n"
    "  /f<file>     boot image file (BOOTFILE)\n"
    "  /n[<n>]      serve boot requests over Ethernet (BOOTNET)\n"
    "  /c[<port>]   serial boot on one port, e.g. /cCOM1; a bare /c turns serial boot off\n"
    "  /b<baud>     serial baud rate; /b0 turns serial boot off\n"
    "  /4 /5        serial protocol HV6 (32K blocks) / HV7 (256 blocks)\n"
    "  /t[<n>]      show the serial terminal (headless: on stderr)\n"
    "  /w[<n>]      wizard mode on or off\n"
    "\n"
    "Settings are read from ./orxboot.ini when present, else from\n"
    "$XDG_CONFIG_HOME/orxboot/orxboot.ini, and saved there at the end of every run.\n";

// The value of --max-transfers N or --max-transfers=N at argv[i]; moves i past it.
bool ParseMaxTransfers(int argc, char** argv, int& i, size_t& nMax) {
    const std::string strArg = argv[i];
    std::string strValue;
    if (strArg.size() >= 16) {
        strValue = strArg.substr(16);
    } else if (i + 1 < argc) {
        strValue = argv[++i];
    }
    char* pEnd = nullptr;
    const long n = std::strtol(strValue.c_str(), &pEnd, 10);
    if (strValue.empty() || *pEnd != '\0' || n < 1 || n > kMaxTransfersLimit) return false;
    nMax = static_cast<size_t>(n);
    return true;
}
}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arrArgs;
    bool bHeadless = false;
    size_t nMaxTransfers = DEFAULT_MAX_TRANSFERS;
    for (int i = 1; i < argc; ++i) {
        const std::string strArg = argv[i];
        if (strArg.rfind("--max-transfers", 0) == 0 && (strArg.size() == 15 || strArg[15] == '=')) {
            if (!ParseMaxTransfers(argc, argv, i, nMaxTransfers)) {
                std::fprintf(stderr, "orxboot: --max-transfers takes a number from 1 to %ld\n",
                             kMaxTransfersLimit);
                return 2;
            }
            continue;
        }
        if (strArg == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (strArg == "--version") {
            std::printf("orxboot %s\n", ORX_VERSION);
            return 0;
        }
        if (strArg == "--info") return RunImageInfo({argv + 1, argv + argc}, stdout, stderr);
        if (strArg == "--history") return RunHistory({argv + 1, argv + argc}, stdout, stderr);
        if (strArg == "--headless") bHeadless = true;
        arrArgs.push_back(strArg);
    }
    if (!bHeadless && !HasDisplay()) {
        std::fputs(
            "orxboot: no display to open the window on (DISPLAY and WAYLAND_DISPLAY are "
            "unset); run orxboot --headless to serve without a window\n",
            stderr);
        return 1;
    }

    std::unique_ptr<QCoreApplication> pQt;
    if (bHeadless) {
        pQt = std::make_unique<QCoreApplication>(argc, argv);
    } else {
        auto pGui = std::make_unique<QApplication>(argc, argv);
        // Sheets come and go on a mode switch; the program ends when the mode loop does.
        QApplication::setQuitOnLastWindowClosed(false);
        InitUiResources();
        QApplication::setWindowIcon(AppIcon());
        pQt = std::move(pGui);
    }
    CStallWatch stallWatch;  // only with ORX_STALL_REPORT set
    CWindowSystem windows;
    CSystemClock clock;
    CProcessRunner process;
    CQtMessageBox windowBox;
    CSerialPortFactory serialPorts;
    CNetworkInfo network;

    CPlatformServices services;
    services.pPoster = &windows;
    services.pTimers = &windows;
    services.pSockets = &windows;
    services.pClock = &clock;
    services.pProcess = &process;
    services.pSerialPorts = &serialPorts;
    services.pNetwork = &network;

    CORXBootApp app(services);
    app.SetCommandLine(arrArgs);
    app.SetMaxTransfers(nMaxTransfers);
    app.SetHistoryFolder(HistoryFolder());
    CHeadlessFront headless(app, stdout, stderr, isatty(1) != 0, isatty(2) != 0);
    CQtFileDialog files;
    // Only a window run has a window face: it connects to the desktop's session bus.
    CWindowPlaces places(QString::fromStdString(StateFolder("orxboot") + "/window.ini"));
    std::optional<CGuiFront> window;
    if (!bHeadless) window.emplace(app, windowBox, files, &places);
    IAppFront& front = bHeadless ? static_cast<IAppFront&>(headless) : *window;
    if (!app.InitInstance(front)) return 1;
    return app.ExitInstance();
}
