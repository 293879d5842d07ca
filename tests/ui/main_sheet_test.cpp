#include <QTabWidget>

#include "tests/ui/SheetRig.h"

namespace {
const struct {
    const char *pszRow, *pszName, *pszSaid;
} kBadFileRows[] = {
    {"missing", "/nonexistent/x.bin", "Failed Load: No such file"},
    {"empty", "", "No boot file has been selected."},
    {"line break and control byte", "a\nBOOTNET=0\x1b[2J.bin", "a?BOOTNET=0?[2J.bin"},
};
}  // namespace

class MainSheetTest : public QObject {
    Q_OBJECT
private slots:
    void startNeedsAMethod() {
        CSheetRig rig;
        rig.Open();
        auto* pSerial = rig.Find<QCheckBox>("checkSerial");
        QPushButton* pStart = rig.pSheet->Button(IDOK);
        QVERIFY(!pStart->isEnabled());
        ClickCheck(pSerial);
        QVERIFY(pStart->isEnabled());
        ClickCheck(pSerial);
        QVERIFY(!pStart->isEnabled());
        ClickCheck(rig.Find<QCheckBox>("checkEthernet"));
        QVERIFY(pStart->isEnabled());
        QVERIFY(rig.pSheet->Button(ID_APPLY_NOW)->isEnabled());
        // Start is the default button: Return applies the check and starts.
        QTest::keyClick(rig.pSheet.get(), Qt::Key_Return);
        QVERIFY(rig.app.ServersRunning());
        QCOMPARE(rig.app.Config().m_nBootNet.load(), 1);
    }

    // The log too starts afresh on each Start.
    void titleRowsAndLogFollowTheTransfers() {
        CSheetRig rig;
        rig.app.Config().m_nBootNet = 1;
        rig.Open();
        QTRY_COMPARE(rig.Title(), QString("ORX Boot Server - Select (Stopped)"));
        rig.pSheet->SetActivePage(PAGE_TRANSFER);
        QCOMPARE(rig.LogText(), QString("Press Start..."));
        rig.Click(IDOK);
        QCOMPARE(rig.ButtonText(IDOK), QString("Stop"));
        QTRY_VERIFY(rig.LogText().startsWith("Reading boot file '"));
        QTRY_COMPARE(rig.Title(), QString("ORX Boot Server - Transfer (Monitoring)"));
        QVERIFY(rig.Find<QLabel>("serialHint")->isVisible());

        // A name that looks like markup shows as it is.
        const char* arrNames[] = {"<b>HV7A</b>", "HV7B", "HV7C", "HV7D", "HV7E", "HV7F"};
        for (uint8_t i = 0; i < 6; ++i) rig.BootRequest(uint8_t(i + 2), arrNames[i]);
        QTRY_COMPARE(rig.Title(), QString("ORX Boot Server - Transfer (Active)"));
        QTRY_COMPARE(rig.SlotName(4), QString("HV7E"));
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(rig.SlotName(i), QString(arrNames[i]));
            QVERIFY(rig.Find<QPushButton>(QString("slotCancel%1").arg(i).toUtf8())->isVisible());
        }
        QTRY_VERIFY(rig.LogText().contains("HV7F: Starting Transfer"));
        QVERIFY(!rig.Find<QLabel>("serialHint")->isVisible());
        // "X" only says it cannot cancel; the transfer goes on.
        QTest::mouseClick(rig.Find<QPushButton>("slotCancel0"), Qt::LeftButton);
        QCOMPARE(rig.boxes.m_shown.back(),
                 std::make_pair(std::string("Sorry this feature is not available."), MB_OK));
        QCOMPARE(rig.app.TransferCount(), size_t(6));

        // The first unit completes: the others move up a row and the sixth gets one.
        rig.CompleteUnit(2);
        QTRY_COMPARE(rig.SlotName(4), QString("HV7F"));
        QCOMPARE(rig.SlotName(0), QString("HV7B"));
        QTRY_VERIFY(rig.LogText().contains("<b>HV7A</b>: Transmission completed."));
        for (uint8_t i = 3; i <= 7; ++i) rig.CompleteUnit(i);
        QTRY_COMPARE(rig.Title(), QString("ORX Boot Server - Transfer (Monitoring)"));
        QCOMPARE(rig.SlotName(0), QString());
        QVERIFY(!rig.Find<QProgressBar>("slotProgress0")->isVisible());

        rig.Click(IDOK);
        QCOMPARE(rig.ButtonText(IDOK), QString("Start"));
        QTRY_COMPARE(rig.Title(), QString("ORX Boot Server - Transfer (Stopped)"));
        rig.Click(IDOK);
        QTRY_VERIFY(!rig.LogText().contains("HV7"));
        QTRY_VERIFY(rig.LogText().contains("Server waiting for boot request..."));
    }

    void applyAsksOnlyWhenATransferRuns() {
        CSheetRig rig;
        rig.app.Config().m_nBootNet = 1;
        rig.Open(PAGE_TRANSFER);
        auto* pCloseDone = rig.Find<QCheckBox>("checkCloseDone");

        // Stopped: the settings are taken, nothing starts.
        ClickCheck(pCloseDone);
        rig.Click(ID_APPLY_NOW);
        QVERIFY(rig.app.Config().m_bTranCloseDone);
        QVERIFY(!rig.app.ServersRunning());

        // Running with no transfer: no question, the servers restart with the settings.
        rig.Click(IDOK);
        ClickCheck(pCloseDone);
        rig.Click(ID_APPLY_NOW);
        QVERIFY(rig.boxes.m_shown.empty());
        QVERIFY(!rig.app.Config().m_bTranCloseDone);
        QVERIFY(rig.app.ServersRunning());
        QTRY_VERIFY(rig.LogText().startsWith("Reading boot file '"));

        // A transfer runs: the question; No changes nothing at all.
        rig.BootRequest(2, "HV7A");
        ClickCheck(pCloseDone);
        rig.boxes.m_nAnswer = IDNO;
        rig.Click(ID_APPLY_NOW);
        QCOMPARE(
            rig.boxes.m_shown,
            (std::vector<std::pair<std::string, unsigned>>{
                {"Are you sure you want to STOP active transfers?", MB_YESNO | MB_ICONQUESTION}}));
        QVERIFY(!rig.app.Config().m_bTranCloseDone);
        QCOMPARE(rig.app.TransferCount(), size_t(1));
        rig.boxes.m_nAnswer = IDYES;
        rig.Click(ID_APPLY_NOW);
        QVERIFY(rig.app.Config().m_bTranCloseDone);
        QCOMPARE(rig.app.TransferCount(), size_t(0));
        QVERIFY(rig.app.ServersRunning());
    }

    // The Close button, Escape, the close box, and the last transfer done with close when done
    // (its servers started by auto start, as start-up opens the transfer page then).
    void everyClosePathStopsTheServers() {
        for (int nPath = 0; nPath < 4; ++nPath) {
            CSheetRig rig;
            rig.app.Config().m_nBootNet = 1;
            rig.app.Config().m_bTranCloseDone = nPath == 3;
            rig.app.Config().m_bTranAutoStart = nPath == 3;
            rig.Open(PAGE_TRANSFER);
            if (nPath < 3) rig.Click(IDOK);
            QTRY_VERIFY(rig.app.ServersRunning());
            QCOMPARE(rig.ButtonText(IDOK), QString("Stop"));
            if (nPath == 0) rig.Click(IDCANCEL);
            if (nPath == 1) QTest::keyClick(rig.pSheet.get(), Qt::Key_Escape);
            if (nPath == 2) rig.pSheet->close();
            if (nPath == 3) {
                rig.BootRequest(2, "HV7A");
                rig.BootRequest(3, "HV7B");
                rig.CompleteUnit(2);
                QTRY_VERIFY(rig.LogText().contains("HV7A: Transmission completed."));
                QCoreApplication::sendPostedEvents();
                QVERIFY(rig.pSheet->isVisible());  // another transfer still runs
                rig.CompleteUnit(3);
            }
            QTRY_VERIFY2(!rig.pSheet->isVisible(), qPrintable(QString::number(nPath)));
            QCOMPARE(rig.pSheet->result(), IDCANCEL);
            QVERIFY(!rig.app.ServersRunning());
            QCOMPARE(rig.sockets.Bound(BOOT_SERVER_PORT)->IsOpen(), false);
        }
    }

    // Each bad name: a box saying why, the same in the log, the settings as they were.
    void badBootFilesAreRefusedClearly_data() { AddRows(kBadFileRows); }
    void badBootFilesAreRefusedClearly() {
        QFETCH(int, row);
        const QString strName = kBadFileRows[row].pszName;
        const QString strSaid = kBadFileRows[row].pszSaid;
        CSheetRig rig;
        rig.app.Config().m_nBootNet = 1;
        const std::string strBefore = rig.app.Config().m_strBootFile;
        rig.Open();
        auto* pCombo = rig.Find<QComboBox>("comboBootFile");
        pCombo->setEditText(strName);
        rig.Click(IDOK);
        QCOMPARE(rig.boxes.m_shown.size(), size_t(1));
        QVERIFY2(QString::fromStdString(rig.boxes.m_shown[0].first).contains(strSaid),
                 rig.boxes.m_shown[0].first.c_str());
        QCOMPARE(rig.boxes.m_shown[0].second & 0xF0, MB_ICONSTOP);
        QTRY_VERIFY(rig.LogText().contains(strSaid));
        QVERIFY(!rig.app.ServersRunning());
        QCOMPARE(rig.ButtonText(IDOK), QString("Start"));
        if (strName.contains('\n')) QCOMPARE(rig.app.Config().m_strBootFile, strBefore);
        for (const std::string& str : rig.app.Config().m_arrBootFiles)
            QVERIFY(!str.empty() && str.find('\n') == std::string::npos);
        // Still usable: a good file starts.
        pCombo->setEditText(QString::fromStdString(strBefore));
        rig.Click(IDOK);
        QVERIFY(rig.app.ServersRunning());
    }

    void browseAndHistory() {
        CSheetRig rig;
        rig.app.Config().m_arrBootFiles = {"/images/B.bin", "/images/a-long-name.bin"};
        rig.Open();
        auto* pCombo = rig.Find<QComboBox>("comboBootFile");
        QCOMPARE(pCombo->itemText(0), QString("/images/a-long-name.bin"));  // shown sorted
        QVERIFY(!rig.pSheet->Button(ID_APPLY_NOW)->isEnabled());
        QTest::mouseClick(rig.Find<QPushButton>("buttonBrowse"), Qt::LeftButton);
        QVERIFY(!rig.pSheet->Button(ID_APPLY_NOW)->isEnabled());  // cancelled
        rig.files.m_strAnswer = "/images/new.bin";
        QTest::mouseClick(rig.Find<QPushButton>("buttonBrowse"), Qt::LeftButton);
        QCOMPARE(pCombo->currentText(), QString("/images/new.bin"));
        rig.Click(ID_APPLY_NOW);
        QCOMPARE(rig.app.Config().m_arrBootFiles.front(), std::string("/images/new.bin"));
        QCOMPARE(pCombo->itemText(0), QString("/images/new.bin"));
        // A shorter form of an entry, in any case, is typed as it is and adds nothing.
        pCombo->setFocus();
        pCombo->lineEdit()->selectAll();
        QTest::keyClicks(pCombo->lineEdit(), "/IMAGES/A-LONG");
        rig.Click(ID_APPLY_NOW);
        QCOMPARE(rig.app.Config().m_strBootFile, std::string("/IMAGES/A-LONG"));
        QCOMPARE(rig.app.Config().m_arrBootFiles.size(), size_t(3));
    }

    // Keyboard users reach every control, and screen readers can name each one.
    void everyControlReachableAndNamedAndAboutOpens() {
        CSheetRig rig;
        rig.Open(PAGE_TRANSFER);
        rig.pSheet->activateWindow();
        auto* pTabs = rig.Find<QTabWidget>("sheetTabs");
        for (int nPage : {PAGE_SELECT, PAGE_TRANSFER}) {
            pTabs->setCurrentIndex(nPage);
            for (QWidget* p : pTabs->currentWidget()->findChildren<QWidget*>()) {
                if (p->focusPolicy() == Qt::NoFocus || !p->isVisibleTo(pTabs)) continue;
                const auto* pButton = qobject_cast<QAbstractButton*>(p);
                const QString strName = pButton ? pButton->text() : p->accessibleName();
                QVERIFY2(!strName.isEmpty() || qobject_cast<QComboBox*>(p->parentWidget()),
                         p->metaObject()->className());
            }
        }
        QCOMPARE(rig.Find<QProgressBar>("slotProgress0")->accessibleName(),
                 QString("Progress of slot 1"));
        pTabs->setCurrentIndex(PAGE_SELECT);
        QTest::keyClick(rig.pSheet.get(), Qt::Key_E, Qt::AltModifier);
        QTRY_VERIFY(rig.Find<QCheckBox>("checkEthernet")->isChecked());  // an animated click
        // About from F1, the sheet's button and the Select page's.
        for (int nWay = 0; nWay < 3; ++nWay) {
            QString strTitle;
            QTimer::singleShot(0, [&] {
                QWidget* pBox = QApplication::activeModalWidget();
                if (!pBox) return;
                strTitle = pBox->windowTitle();
                QTest::keyClick(pBox, Qt::Key_Return);
            });
            if (nWay == 0) QTest::keyClick(rig.pSheet.get(), Qt::Key_F1);
            if (nWay == 1) QTest::mouseClick(rig.Find<QWidget>("aboutButton"), Qt::LeftButton);
            if (nWay == 2) QTest::mouseClick(rig.Find<QPushButton>("buttonAbout"), Qt::LeftButton);
            QCOMPARE(strTitle, QString("About ORXBoot"));
        }
    }
};

ORX_UI_TEST(MainSheetTest)
#include "main_sheet_test.moc"
