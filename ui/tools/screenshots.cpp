// orx-screenshots: draws the README's pictures of the window offscreen, at a fixed size,
// style and font, over the real engine. Run it in a private network namespace
// (scripts/screenshots.sh does).
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QKeyEvent>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QStyleFactory>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include "app/SystemServices.h"
#include "platform/MessageBox.h"
#include "ui/FileDialog.h"
#include "ui/GuiFront.h"
#include "ui/ModalSheet.h"
#include "ui/PageIds.h"
#include "ui/Pictures.h"
#include "ui/ServerControl.h"
#include "ui/SheetWindow.h"
#include "ui/TerminalEditCtrl.h"
#include "ui/tools/WaitFor.h"

namespace {
int Fail(const char* pszWhy) {
    std::fprintf(stderr, "orx-screenshots: %s\n", pszWhy);
    return 1;
}

// The Transfer page while three network units boot.
int ShotTransfer(CORXBootApp& app, CModalSheet& sheet, const char* pszOut, const char* pszUnit,
                 const char* pszImage) {
    QTimer::singleShot(0, &sheet, [&] { sheet.Button(IDOK)->click(); });
    if (!WaitFor([&] { return app.ServersRunning(); }, 10))
        return Fail("the servers did not start");

    // The units leave one block unanswered half way, so the picture catches them moving.
    QProcess units;
    units.start(pszUnit, {"net", "--server", "127.0.0.1", "--bind", "127.0.0.2", "--count", "3",
                          "--name", "HV7LAB", "--image", pszImage, "--drop-ack", "1000"});
    auto* pLast = sheet.findChild<QProgressBar*>("slotProgress2");
    if (!WaitFor([&] { return pLast->isVisible() && pLast->value() >= 45; }, 30))
        return Fail("the units did not boot");
    // Areas whose painting waits for the frame's end would come out blank: grab between frames.
    WaitFor(
        [&] {
            const auto arrAll = sheet.findChildren<QWidget*>();
            return std::all_of(arrAll.begin(), arrAll.end(),
                               [](const QWidget* p) { return p->updatesEnabled(); });
        },
        2);
    sheet.grab().save(pszOut);
    WaitFor([&] { return units.state() == QProcess::NotRunning; }, 30);
    sheet.Button(IDCANCEL)->click();
    return 0;
}

// The History view after three network units booted, one of them going silent half way.
int ShotHistory(CORXBootApp& app, CModalSheet& sheet, CHistoryWnd& history, const char* pszOut,
                const char* pszUnit, const char* pszImage) {
    QTimer::singleShot(0, &sheet, [&] { sheet.Button(IDOK)->click(); });
    if (!WaitFor([&] { return app.ServersRunning(); }, 10))
        return Fail("the servers did not start");
    QProcess units, silent;
    units.start(pszUnit, {"net", "--server", "127.0.0.1", "--bind", "127.0.0.2", "--count", "2",
                          "--name", "HV7LAB", "--image", pszImage});
    silent.start(pszUnit, {"net", "--server", "127.0.0.1", "--bind", "127.0.0.4", "--name",
                           "HV7LAB3", "--mac", "02:4F:52:00:00:03", "--image", pszImage,
                           "--silent-after", "1000", "--timeout", "60"});
    if (!WaitFor([&] { return app.TransfersSinceStart().nCompleted == 2; }, 30))
        return Fail("the units did not boot");
    // The silent unit's transfer ends on the server's last resend.
    if (!WaitFor([&] { return app.TransfersSinceStart().nFailed == 1; }, 60))
        return Fail("the silent unit's transfer did not end");
    units.waitForFinished(5000);
    silent.kill();
    silent.waitForFinished(5000);
    history.Open();
    QWidget* pWindow = history.Window();
    if (!pWindow) return Fail("the history did not open");
    pWindow->resize(1080, 260);
    QApplication::processEvents();
    pWindow->grab().save(pszOut);
    history.Close();
    sheet.Button(IDCANCEL)->click();
    return 0;
}

// A simulated unit on a new pseudo-terminal linked as COM1 in ORXBOOT_COMDIR, once the
// link is there.
bool StartSerialUnit(QProcess& unit, const char* pszUnit, const char* pszImage,
                     const QStringList& arrArgs) {
    const QString strLink = qEnvironmentVariable("ORXBOOT_COMDIR") + "/COM1";
    // A unit killed after an earlier picture leaves its link behind.
    QFile::remove(strLink);
    unit.start(pszUnit,
               QStringList{"serial", "--make-pty", strLink, "--image", pszImage} + arrArgs);
    return WaitFor([&] { return QFileInfo(strLink).isSymLink(); }, 10);
}

// The wizard's Downloading page: the user walks to the waiting page, then a unit on a
// serial line (a pseudo-terminal in ORXBOOT_COMDIR) asks to be booted.
int ShotWizard(CModalSheet& sheet, const char* pszOut, const char* pszUnit, const char* pszImage) {
    QProcess unit;
    if (!StartSerialUnit(unit, pszUnit, pszImage,
                         {"--no-menu", "--on-cue", "--baud-emulate", "921600"}))
        return Fail("the unit made no serial line");
    for (int i = 0; i < 4; ++i) sheet.Button(ID_WIZNEXT)->click();
    unit.write("\n");
    auto* pBar = sheet.findChild<QProgressBar*>("progressDownload");
    if (!WaitFor([&] { return pBar->isVisible() && pBar->value() >= 40; }, 30))
        return Fail("the unit did not download");
    sheet.grab().save(pszOut);
    sheet.Button(IDCANCEL)->click();
    unit.kill();
    unit.waitForFinished(5000);
    return 0;
}

// The serial terminal on a unit that wants its boot menu (a pseudo-terminal linked as COM1
// in ORXBOOT_COMDIR): it prints its banner and prompt, the user presses 2 and the menu
// answers.
int ShotTerminal(CTerminalWnd& terminal, const char* pszOut, const char* pszUnit,
                 const char* pszImage) {
    QProcess unit;
    // It waits for one key more than it gets, so it stays in its menu for the picture.
    if (!StartSerialUnit(unit, pszUnit, pszImage, {"--expect-keys", "2D"}))
        return Fail("the unit made no serial line");
    terminal.OpenTerminal();
    CTerminalEditCtrl* pEdit = terminal.EditCtrl();
    if (!pEdit) return Fail("the terminal did not open");
    pEdit->setFont(QFont("DejaVu Sans Mono", 9));
    terminal.Window()->resize(520, 300);
    if (!WaitFor([&] { return pEdit->toPlainText().contains("Press any key"); }, 10))
        return Fail("the unit printed no prompt");
    QKeyEvent key(QEvent::KeyPress, Qt::Key_2, Qt::NoModifier, "2");
    QApplication::sendEvent(pEdit, &key);
    if (!WaitFor([&] { return pEdit->toPlainText().contains("menu> "); }, 10))
        return Fail("the unit's menu did not answer");
    terminal.Window()->grab().save(pszOut);
    terminal.DestroyTerminal();
    unit.kill();
    unit.waitForFinished(5000);
    return 0;
}
}  // namespace

// orx-screenshots transfer|wizard|terminal|history OUT.png ORXUNIT IMAGE
int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    const QString strShot = argc == 5 ? argv[1] : "";
    if (strShot != "transfer" && strShot != "wizard" && strShot != "terminal" &&
        strShot != "history")
        return Fail(
            "usage: orx-screenshots transfer|wizard|terminal|history OUT.png ORXUNIT IMAGE");
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    QApplication::setFont(QFont("DejaVu Sans", 9));
    InitUiResources();

    CSystemServices system;
    CStderrMessageBox boxes;  // a box would stop the drawing: said on stderr instead
    CQtFileDialog files;
    CORXBootApp app(system.Services());
    CORXBootConfig& config = app.Config();
    config.m_strBootFile = argv[4];
    config.m_arrBootFiles = {argv[4]};
    config.m_nBootNet = strShot == "transfer" || strShot == "history";
    config.m_nNetType = 1;
    config.m_bWizardMode = strShot == "wizard";
    config.m_nBootSerial = config.m_bWizardMode;
    config.m_strComPort = "COM1";
    config.m_nComBaud = 115200;
    CGuiFront front(app, boxes, files);
    app.AttachFront(&front);
    if (strShot == "history") {
        app.SetHistoryFolder(QDir::currentPath().toStdString() + "/history");
        app.KeepRecords();
    }
    const std::unique_ptr<ISheetWindow> pWindow =
        MakeSheetWindow(CSheetServices{app, boxes, files}, PAGE_SELECT);
    CModalSheet& sheet = pWindow->Window();
    front.Attach(*pWindow);
    sheet.resize(640, 480);
    sheet.show();
    int nResult = 0;
    if (strShot == "history")
        nResult = ShotHistory(app, sheet, front.History(), argv[2], argv[3], argv[4]);
    else if (strShot == "terminal")
        nResult = ShotTerminal(front.Terminal(), argv[2], argv[3], argv[4]);
    else if (config.m_bWizardMode)
        nResult = ShotWizard(sheet, argv[2], argv[3], argv[4]);
    else
        nResult = ShotTransfer(app, sheet, argv[2], argv[3], argv[4]);
    front.Detach();
    return nResult;
}
