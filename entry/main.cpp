#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/BootHistory.h"
#include "app/HistoryReport.h"
#include "app/ImageInfoReport.h"
#include "app/ORXBootApp.h"
#include "app/SystemServices.h"
#include "headless/HeadlessFront.h"
#include "net/NetBootServer.h"
#include "platform/LastError.h"
#include "platform/SettingsPath.h"
#include "platform/StallWatch.h"
#include "ui/DesktopFront.h"

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
    "  --events FILE|-\n"
    "               write every transfer's life and record as JSON lines to FILE,\n"
    "               or with - to standard output in place of the log\n"
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

// The value of --NAME VALUE or --NAME=VALUE at argv[i] (empty when none follows), and i
// moved past it; nothing when argv[i] is another argument.
std::optional<std::string> OptionValue(int argc, char** argv, int& i, const std::string& strName) {
    const std::string strArg = argv[i];
    if (strArg == strName) return i + 1 < argc ? std::string(argv[++i]) : std::string();
    if (strArg.rfind(strName + "=", 0) == 0) return strArg.substr(strName.size() + 1);
    return std::nullopt;
}

bool ParseMaxTransfers(const std::string& strValue, size_t& nMax) {
    char* pEnd = nullptr;
    const long n = std::strtol(strValue.c_str(), &pEnd, 10);
    if (strValue.empty() || *pEnd != '\0' || n < 1 || n > kMaxTransfersLimit) return false;
    nMax = static_cast<size_t>(n);
    return true;
}

// Whether two paths name one existing file (links and ./ included).
bool SameFile(const std::string& strA, const std::string& strB) {
    struct stat a {
    }, b{};
    return stat(strA.c_str(), &a) == 0 && stat(strB.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

// Each event as one JSON line, out at once: a script reads it while the servers run.
void WriteEvent(std::FILE* pEvents, const CJsonObject& obj) {
    std::fprintf(pEvents, "%s\n", obj.Line().c_str());
    std::fflush(pEvents);
}
}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arrArgs;
    bool bHeadless = false;
    size_t nMaxTransfers = DEFAULT_MAX_TRANSFERS;
    std::string strEvents;
    for (int i = 1; i < argc; ++i) {
        const std::string strArg = argv[i];
        if (const auto value = OptionValue(argc, argv, i, "--max-transfers")) {
            if (!ParseMaxTransfers(*value, nMaxTransfers)) {
                std::fprintf(stderr, "orxboot: --max-transfers takes a number from 1 to %ld\n",
                             kMaxTransfersLimit);
                return 2;
            }
            continue;
        }
        if (const auto value = OptionValue(argc, argv, i, "--events")) {
            if (value->empty()) {
                std::fputs("orxboot: --events takes a file, or - for standard output\n", stderr);
                return 2;
            }
            strEvents = *value;
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

    // A file of events begins with this run's first event: emptied only then, so a second copy
    // refused by the running one's lock leaves that one's file whole.
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> pEventFile(nullptr, std::fclose);
    if (!strEvents.empty() && strEvents != "-") {
        // Opening it empties it: never the settings or the history.
        for (const std::string& strKept :
             {LocateSettings("orxboot").strPath, HistoryPath(HistoryFolder())}) {
            if (!SameFile(strEvents, strKept)) continue;
            std::fprintf(stderr, "orxboot: --events: %s is %s; give a file of its own\n",
                         strEvents.c_str(), strKept.c_str());
            return 2;
        }
        pEventFile.reset(std::fopen(strEvents.c_str(), "a"));
        if (!pEventFile) {
            std::fprintf(stderr, "orxboot: --events: %s: %s\n", strEvents.c_str(),
                         FormatErrorText(SetLastErrorFromErrno()).c_str());
            return 2;
        }
    }
    std::FILE* pEvents = strEvents == "-" ? stdout : pEventFile.get();

    const std::unique_ptr<QCoreApplication> pQt =
        bHeadless ? std::make_unique<QCoreApplication>(argc, argv)
                  : MakeWindowApplication(argc, argv);
    CStallWatch stallWatch;  // only with ORX_STALL_REPORT set
    CSystemServices system;
    CORXBootApp app(system.Services());
    app.SetCommandLine(arrArgs);
    app.SetMaxTransfers(nMaxTransfers);
    app.SetHistoryFolder(HistoryFolder());
    if (pEvents) {
        app.SetEventSink([pEvents, bEmpty = pEvents == stdout](const CJsonObject& obj) mutable {
            if (!bEmpty && ftruncate(fileno(pEvents), 0) == 0) bEmpty = true;
            WriteEvent(pEvents, obj);
        });
    }
    CHeadlessFront headless(app, stdout, stderr, isatty(1) != 0, isatty(2) != 0);
    // The events take standard output's place: the log would break their lines.
    headless.ShowLog(pEvents != stdout);
    // Only a window run has a window face: it connects to the desktop's session bus.
    const std::unique_ptr<IAppFront> pWindow = bHeadless ? nullptr : MakeDesktopFront(app);
    IAppFront& front = pWindow ? *pWindow : static_cast<IAppFront&>(headless);
    if (!app.InitInstance(front)) return 1;
    return app.ExitInstance();
}
