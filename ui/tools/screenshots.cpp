// orx-screenshots: draws the README's pictures of the window offscreen, at a fixed size,
// style and font, over the real engine. Run it in a private network namespace
// (scripts/screenshots.sh does).
#include <QApplication>
#include <QElapsedTimer>
#include <QFont>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QStyleFactory>
#include <QTimer>
#include <cstdio>

#include "ui/FileDialog.h"
#include "ui/GuiFront.h"
#include "ui/MainSheet.h"
#include "ui/Pictures.h"
#include "ui/QtMessageBox.h"
#include "ui/SystemServices.h"
#include "ui/tools/WaitFor.h"

namespace {
int Fail(const char* pszWhy) {
    std::fprintf(stderr, "orx-screenshots: %s\n", pszWhy);
    return 1;
}
}  // namespace

// orx-screenshots transfer OUT.png ORXUNIT IMAGE
int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    if (argc != 5 || QString(argv[1]) != "transfer")
        return Fail("usage: orx-screenshots transfer OUT.png ORXUNIT IMAGE");
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    QApplication::setFont(QFont("DejaVu Sans", 9));
    InitUiResources();

    CSystemServices system;
    CQtMessageBox boxes;
    CQtFileDialog files;
    CORXBootApp app(system.Services(boxes));
    app.m_bSocketsAvailable = true;
    CORXBootConfig& config = app.Config();
    config.m_strBootFile = argv[4];
    config.m_arrBootFiles = {argv[4]};
    config.m_nBootNet = 1;
    config.m_nNetType = 1;
    CGuiFront front(app, system.windows, boxes, files);
    CMainSheet sheet(CMainSheet::CServices{app, boxes, files, nullptr}, PAGE_SELECT);
    front.Attach(sheet);
    sheet.resize(640, 480);
    sheet.show();
    QTimer::singleShot(0, &sheet, [&] { sheet.Button(IDOK)->click(); });
    if (!WaitFor([&] { return app.ServersRunning(); }, 10))
        return Fail("the servers did not start");

    // The units leave one block unanswered half way, so the picture catches them moving.
    QProcess units;
    units.start(argv[3], {"net", "--server", "127.0.0.1", "--bind", "127.0.0.2", "--count", "3",
                          "--name", "HV7LAB", "--image", argv[4], "--drop-ack", "1000"});
    auto* pLast = sheet.findChild<QProgressBar*>("slotProgress2");
    if (!WaitFor([&] { return pLast->isVisible() && pLast->value() >= 45; }, 30))
        return Fail("the units did not boot");
    sheet.grab().save(argv[2]);
    WaitFor([&] { return units.state() == QProcess::NotRunning; }, 30);
    sheet.Button(IDCANCEL)->click();
    front.Detach();
    return 0;
}
