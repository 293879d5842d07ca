// The wizard while it also watches for network boot requests (inside a private network
// namespace: see in_netns.sh).

#include "tests/ui/WizardRig.h"

class WizardNetTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (qgetenv("ORX_UI_NETNS") != "1")
            QSKIP("binds port 980: runs only inside its own network namespace (in_netns.sh)");
    }

    // A network unit downloads: the page says NET, and the estimate, which only a serial
    // download feeds, keeps its first words.
    void networkUnitShowsNetAndAFixedEstimate() {
        CWizardRig rig;
        QVERIFY(rig.StartUnit("COM1", {"--no-menu", "--on-cue"}));  // plugged in, never asks
        rig.Config().m_nNetType = 1;
        rig.Config().m_strNetNode = "ORXHV7410";
        QVERIFY(rig.WalkToPorts());
        ClickCheck(rig.Find<QCheckBox>("checkMonitorNet"));
        rig.Next();
        QCOMPARE(rig.Config().m_nBootNet.load(), 1);
        rig.Next();
        QCOMPARE(rig.Title(), kWait);
        QProcess unit;
        unit.start(ORX_BIN_DIR "/orxunit", {"net", "--server", "127.0.0.1", "--bind", "127.0.0.2",
                                            "--image", kSmallImage, "--timeout", "15"});
        QTRY_COMPARE_WITH_TIMEOUT(rig.Title(), kSuccess, 20000);
        QCOMPARE(rig.PagesFrom(kWait), QStringList({kWait, kDownload, kSuccess}));
        QCOMPARE(rig.Text("labelPort"), QString("NET"));
        QCOMPARE(rig.Find<QLabel>("pictureTransfer")->accessibleName(),
                 QString("Network transfer"));
        QCOMPARE(rig.Text("labelEstimate"), QString("This process should take about 30 seconds."));
        QVERIFY(rig.m_arrBar.contains(100));
        QTRY_COMPARE_WITH_TIMEOUT(unit.state(), QProcess::NotRunning, 20000);
        QCOMPARE(unit.exitCode(), 0);
    }
};

ORX_UI_TEST_NETNS(WizardNetTest)
#include "wizard_net_test.moc"
