#include <QCheckBox>
#include <QProcess>
#include <QProgressBar>
#include <QSet>

#include "tests/ui/SheetRig.h"
#include "tests/ui/UiTest.h"
#include "ui/SystemServices.h"

class RealEngineTest : public QObject {
    Q_OBJECT
private slots:
    // The window over the real engine while three simulated units boot over loopback.
    void threeUnitsBootFromTheWindow() {
        if (qgetenv("ORX_UI_NETNS") != "1") QSKIP("runs only in a private network namespace");
        CTempDir dir;
        const std::string strImage = WriteFile(dir.Path("unit.bin"), MakeImageBytes(200000));
        qputenv("XDG_RUNTIME_DIR", dir.Root().c_str());
        CSystemServices system;
        CFakeMessageBox boxes;
        CFakeFiles files;
        CORXBootApp app(system.Services(boxes));
        app.Config().m_strBootFile = strImage;
        app.Config().m_nBootNet = 1;
        app.Config().m_nNetType = 1;
        CGuiFront front(app, boxes, files);
        CMainSheet sheet(CMainSheet::CServices{app, boxes, files, nullptr}, PAGE_SELECT);
        front.Attach(sheet);
        sheet.show();
        QTest::mouseClick(sheet.Button(IDOK), Qt::LeftButton);
        QTRY_COMPARE(sheet.windowTitle(), QString("ORX Boot Server - Transfer (Monitoring)"));

        // Each unit leaves one block unanswered, so the transfers stand still for a second
        // half way and the rows can be seen.
        QProcess units;
        units.start(ORX_BIN_DIR "/orxunit",
                    {"net", "--server", "127.0.0.1", "--bind", "127.0.0.2", "--count", "3",
                     "--name", "HV7LAB", "--image", QString::fromStdString(strImage), "--drop-ack",
                     "200", "--timeout", "20"});
        auto names = [&] {
            QSet<QString> set;
            for (int i = 0; i < 5; ++i) {
                auto* pLabel = sheet.findChild<QLabel*>(QString("slotName%1").arg(i));
                if (pLabel->isVisible()) set.insert(pLabel->text());
            }
            return set;
        };
        QTRY_COMPARE_WITH_TIMEOUT(names(), (QSet<QString>{"HV7LAB1", "HV7LAB2", "HV7LAB3"}), 10000);
        QCOMPARE(sheet.windowTitle(), QString("ORX Boot Server - Transfer (Active)"));
        QTRY_VERIFY_WITH_TIMEOUT(sheet.findChild<QProgressBar*>("slotProgress0")->value() > 20,
                                 10000);
        // The window's event loop serves the units meanwhile.
        QTRY_COMPARE_WITH_TIMEOUT(units.state(), QProcess::NotRunning, 30000);
        QCOMPARE(units.exitCode(), 0);
        QTRY_COMPARE(sheet.windowTitle(), QString("ORX Boot Server - Transfer (Monitoring)"));
        QTRY_COMPARE(names(), QSet<QString>{});
        const QString strLog = sheet.findChild<CLogView*>("log")->toPlainText();
        QCOMPARE(strLog.count("Transmission completed."), 3);
        QTest::mouseClick(sheet.Button(IDCANCEL), Qt::LeftButton);
        QVERIFY(!app.ServersRunning());
        front.Detach();
    }
};

ORX_UI_TEST_NETNS(RealEngineTest)
#include "real_engine_test.moc"
