#include <QProgressBar>
#include <QSet>

#include "tests/ui/SheetRig.h"

class RealEngineTest : public QObject {
    Q_OBJECT
private slots:
    // The window over the real engine while three simulated units boot over loopback.
    void threeUnitsBootFromTheWindow() {
        if (qgetenv("ORX_UI_NETNS") != "1") QSKIP("runs only in a private network namespace");
        CSheetRig rig(true);
        const std::string strImage = WriteFile(rig.dir.Path("unit.bin"), MakeImageBytes(200000));
        rig.Config().m_strBootFile = strImage;
        rig.Config().m_nBootNet = 1;
        rig.Config().m_nNetType = 1;
        rig.Open();
        rig.Click(IDOK);
        QTRY_COMPARE(rig.Title(), QString("ORX Boot Server - Transfer (Monitoring)"));

        // Each unit leaves one block unanswered, so the transfers stand still for a second
        // half way and the rows can be seen.
        QProcess units;
        units.start(ORX_BIN_DIR "/orxunit",
                    {"net", "--server", "127.0.0.1", "--bind", "127.0.0.2", "--count", "3",
                     "--name", "HV7LAB", "--image", QString::fromStdString(strImage), "--drop-ack",
                     "200", "--timeout", "20"});
        auto names = [&] {
            QSet<QString> set;
            for (int i = 0; i < 5; ++i) set.insert(rig.SlotName(i));
            set.remove(QString());
            return set;
        };
        QTRY_COMPARE_WITH_TIMEOUT(names(), (QSet<QString>{"HV7LAB1", "HV7LAB2", "HV7LAB3"}), 10000);
        QCOMPARE(rig.Title(), QString("ORX Boot Server - Transfer (Active)"));
        QTRY_VERIFY_WITH_TIMEOUT(rig.Find<QProgressBar>("slotProgress0")->value() > 20, 10000);
        // The window's event loop serves the units meanwhile.
        QTRY_COMPARE_WITH_TIMEOUT(units.state(), QProcess::NotRunning, 30000);
        QCOMPARE(units.exitCode(), 0);
        QTRY_COMPARE(rig.Title(), QString("ORX Boot Server - Transfer (Monitoring)"));
        QTRY_COMPARE(names(), QSet<QString>{});
        QCOMPARE(rig.LogText().count("Transmission completed."), 3);
        rig.Click(IDCANCEL);
        QVERIFY(!rig.app.ServersRunning());
    }
};

ORX_UI_TEST_NETNS(RealEngineTest)
#include "real_engine_test.moc"
