// The wizard's pages against simulated units on pseudo-terminals; the walk a user takes
// through the X server: tests/display/wizard.sh.
#include <QListWidget>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>

#include "tests/ui/WizardRig.h"

namespace {
// The settings file read-only (or not), as start-up finds it in the current folder.
void SetSettingsReadOnly(CSheetRig& rig, bool bReadOnly) {
    QFile file(QString::fromStdString(rig.dir.Path("orxboot.ini")));
    if (!file.exists()) (void)file.open(QIODevice::WriteOnly);
    file.setPermissions(bReadOnly ? QFile::ReadOwner : QFile::ReadOwner | QFile::WriteOwner);
    const QString strCwd = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(rig.dir.Root()));
    rig.app.LocateSettingsFile("orxboot");
    QDir::setCurrent(strCwd);
}
}  // namespace

class WizardTest : public QObject {
    Q_OBJECT
private slots:
    // With any port in use a second unit may ask while the first downloads: the page
    // follows the first unit's bar and port, and tells of success when both are done.
    // A double click on Next is one press, so the cold boot steps are not skipped.
    void secondUnitDuringADownloadLeavesThePageOnTheFirst() {
        CWizardRig rig;
        QProcess* pFirst =
            rig.StartUnit("COM1", {"--no-menu", "--on-cue", "--baud-emulate", "230400"});
        QProcess* pSecond = rig.StartUnit("COM2", {"--no-menu", "--on-cue"});
        QVERIFY(pFirst && pSecond);
        rig.Config().m_strComPort = "COM2";  // the list's choice, not where the unit is
        QVERIFY(rig.WalkToPorts());
        ClickCheck(rig.Find<QRadioButton>("radioAllPorts"));
        QVERIFY(!rig.Find<QListWidget>("listPorts")->isEnabled());
        QPushButton* pNext = rig.pSheet->Button(ID_WIZNEXT);
        QTest::mouseDClick(rig.pSheet->windowHandle(), Qt::LeftButton, {},
                           pNext->mapTo(rig.pSheet, pNext->rect().center()));
        QCOMPARE(rig.Title(), kBoot);
        QVERIFY(rig.app.ServersRunning());
        rig.Next();
        size_t nTransfersAtSuccess = 0;
        QObject::connect(rig.pSheet, &QWidget::windowTitleChanged, [&](const QString& str) {
            if (str == kSuccess) nTransfersAtSuccess += rig.app.TransferCount();
        });
        CWizardRig::Cue(pFirst);
        QTRY_COMPARE_WITH_TIMEOUT(rig.Title(), kDownload, 15000);
        CWizardRig::Cue(pSecond);
        QTRY_COMPARE_WITH_TIMEOUT(rig.Title(), kSuccess, 20000);
        QVERIFY(CWizardRig::Finished(pSecond) && CWizardRig::Finished(pFirst));
        QCOMPARE(pSecond->exitCode() + pFirst->exitCode(), 0);
        QCOMPARE(nTransfersAtSuccess, size_t(0));
        QCOMPARE(rig.PagesFrom(kWait), QStringList({kWait, kDownload, kSuccess}));
        QCOMPARE(rig.Text("labelPort"), QString("COM1"));
        QCOMPARE(rig.Text("labelDownloading"),
                 QString("Your computer is downloading the file '%1' to the HV7").arg(kSmallImage));
        // 70,000 bytes at 9,900 a second: never more than seven seconds to go.
        const QRegularExpressionMatch estimate =
            QRegularExpression(
                "^This process should complete in about (\\d+) minutes (\\d+) seconds\\.$")
                .match(rig.Text("labelEstimate"));
        QVERIFY2(estimate.hasMatch(), qPrintable(rig.Text("labelEstimate")));
        QVERIFY(estimate.captured(1).toInt() * 60 + estimate.captured(2).toInt() <= 7);
        // The end of the download empties the slot just before the success page.
        if (rig.m_arrBar.endsWith(0)) rig.m_arrBar.removeLast();
        QVERIFY(std::is_sorted(rig.m_arrBar.begin(), rig.m_arrBar.end()));
        QVERIFY(rig.m_arrBar.contains(100));
    }

    void unitHangingUpGivesTheFailureBoxThenColdBootWithServersRunning() {
        CWizardRig rig;
        QProcess* pUnit = rig.UnitAndWait({"--hangup-after", "20"});
        QVERIFY(pUnit);
        CWizardRig::Cue(pUnit);
        QTRY_COMPARE_WITH_TIMEOUT(rig.Title(), kBoot, 15000);
        QCOMPARE(rig.boxes.m_shown, (std::vector<std::pair<std::string, unsigned>>{
                                        {"Boot file transfer FAILED.\nPress OK to try again.",
                                         MB_OK | MB_ICONEXCLAMATION}}));
        QVERIFY(rig.app.ServersRunning());
        rig.Next();  // waiting again, on the servers that run
        QCOMPARE(rig.Title(), kWait);
    }

    void advancedModeAsksFirst() {
        CWizardRig rig;
        SetSettingsReadOnly(rig, true);  // nothing could be saved: no switch offered
        rig.Show();
        auto* pAdvanced = rig.Find<QPushButton>("buttonAdvanced");
        QVERIFY(!pAdvanced->isEnabled());
        SetSettingsReadOnly(rig, false);
        rig.Next();
        rig.Back();
        QVERIFY(pAdvanced->isEnabled());
        rig.boxes.m_nAnswer = IDNO;
        QTest::mouseClick(pAdvanced, Qt::LeftButton);
        QCOMPARE(rig.boxes.m_shown.back(),
                 std::make_pair(std::string("Are you sure you want to leave the Wizard Mode?"),
                                MB_YESNO | MB_ICONQUESTION));
        QVERIFY(rig.pSheet->isVisible());
    }

    // Next only with a file; Browse adds one to the list and to the front of the history;
    // a first run in a folder of images selects the first one; a listed file that went
    // away leaves the list; a file that is no boot image is refused where it is chosen.
    void nextNeedsABootFile() {
        QTemporaryDir folder;
        const QString strOld = QDir::currentPath();
        QDir::setCurrent(folder.path());
        {
            CWizardRig rig;
            rig.Config().m_strBootFile.clear();
            rig.Show();
            rig.Next();
            QCOMPARE(rig.Title(), kFile);
            QVERIFY(!rig.NextEnabled());
            QTest::keyClick(rig.pSheet, Qt::Key_Return);
            QCOMPARE(rig.Title(), kFile);
            const std::string strBrowsed = ORX_BIN_DIR "/samples/1m.bin";
            rig.files.m_strAnswer = strBrowsed;
            QTest::mouseClick(rig.Find<QPushButton>("buttonBrowse"), Qt::LeftButton);
            QCOMPARE(rig.Config().m_arrBootFiles, std::vector<std::string>{strBrowsed});
            rig.Next();
            QCOMPARE(rig.Title(), kSelect);
            QCOMPARE(rig.Config().m_strBootFile, strBrowsed);
        }
        for (const char* pszName : {"b.bin", "a.BIN", "notes.txt"})
            QVERIFY(QFile(folder.filePath(pszName)).open(QIODevice::WriteOnly));
        CWizardRig rig;
        rig.Config().m_strBootFile.clear();
        rig.Config().m_arrBootFiles = {folder.filePath("gone.bin").toStdString()};
        rig.Show();
        rig.Next();
        QDir::setCurrent(strOld);
        auto* pList = rig.Find<QListWidget>("listBootFiles");
        QCOMPARE(pList->count(), 2);
        QCOMPARE(pList->currentItem()->text(), folder.filePath("a.BIN"));
        QCOMPARE(rig.Config().m_strBootFile, folder.filePath("a.BIN").toStdString());
        QVERIFY(rig.NextEnabled());
        // It is empty: the page says so at once, and Next says it again and stays.
        const QString strWhy =
            "This file cannot be loaded: the file is empty: not a boot image (1305)";
        QVERIFY(rig.Find<QLabel>("labelFileProblem")->isVisible());
        QCOMPARE(rig.Text("labelFileProblem"), strWhy);
        rig.Next();
        QCOMPARE(rig.Title(), kFile);
        QCOMPARE(rig.BoxTexts(), std::vector<std::string>{strWhy.toStdString()});
    }

    void portThatCannotBeOpenedKeepsThePortPage() {
        CWizardRig rig;
        QProcess* pUnit = rig.StartUnit("COM1", {"--no-menu", "--on-cue"});
        QVERIFY(pUnit);
        QVERIFY(rig.WalkToPorts());
        QCOMPARE(rig.Find<QListWidget>("listPorts")->currentItem()->text(), QString("COM1"));
        pUnit->kill();  // the cable is pulled: the port goes away
        QVERIFY(CWizardRig::Finished(pUnit));
        rig.Next();
        QCOMPARE(rig.Title(), kSelect);
        QVERIFY(!rig.app.ServersRunning());
        // One failure, one box: the start's own line, shown in the same turn, is not.
        QTRY_COMPARE(rig.BoxTexts().size(), size_t(1));
        const std::string strBox = rig.BoxTexts()[0];
        QVERIFY(strBox.starts_with("Serial port 'COM1' failed to open ("));
        QVERIFY(strBox.ends_with("). Please select another port."));
    }

    // Escape (Cancel) asks before it ends the download, and No keeps it; Back stops it:
    // its end, which the stop itself reports, moves no page and is no failure to tell.
    void cancelAsksAndBackStopsADownloadQuietly() {
        CWizardRig rig;
        QProcess* pUnit = rig.UnitAndWait({"--stall-after", "40", "--stall-ms", "9000"});
        QVERIFY(pUnit);
        CWizardRig::Cue(pUnit);
        QTRY_COMPARE_WITH_TIMEOUT(rig.Title(), kDownload, 15000);
        rig.boxes.m_nAnswer = IDNO;
        QTest::keyClick(rig.pSheet, Qt::Key_Escape);
        QCOMPARE(rig.BoxTexts()[0], "Are you sure you want to STOP active transfers?");
        QVERIFY(rig.pSheet->isVisible() && rig.app.TransferCount() == 1);
        rig.Back();
        QCOMPARE(rig.Title(), kBoot);
        QVERIFY(!rig.app.ServersRunning());
        // The stop waited for the port's thread: all it reported is queued now.
        QCoreApplication::sendPostedEvents();
        QCOMPARE(rig.Title(), kBoot);
        QCOMPARE(rig.boxes.m_shown.size(), size_t(1));
        rig.Next();
        QCOMPARE(rig.Title(), kWait);
        QVERIFY(rig.app.ServersRunning());
    }
};

ORX_UI_TEST(WizardTest)
#include "wizard_test.moc"
