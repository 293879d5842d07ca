#include <QMenu>

#include "tests/ui/SheetRig.h"
#include "ui/IpAddressCtrl.h"

namespace {
const struct {
    const char *pszRow, *pszName, *pszSaid;
} kBadFileRows[] = {
    {"missing", "/nonexistent/x.bin", "Failed Load: No such file"},
    {"empty", "", "No boot file has been selected."},
    {"line break and control byte", "a\nBOOTNET=0\x1b[2J.bin", "a?BOOTNET=0?[2J.bin"},
};

const struct {
    const char *pszRow, *pszWhy, *pszField;
} kRefusalRows[] = {
    {"incomplete address",
     "The fixed IP address is not complete: enter four numbers from 0 to 255.", "ipAddress"},
    {"empty single unit name",
     "The single unit name is empty: enter the unit's name, or respond to all ORX equipment boot "
     "requests.",
     "comboUnitName"},
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
        // Apply while stopped only takes the settings (Return starts: tests/display/sheet.sh).
        rig.Click(ID_APPLY_NOW);
        QCOMPARE(rig.app.Config().m_nBootNet.load(), 1);
        QVERIFY(!rig.app.ServersRunning());
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

        // Halted another way (as the competing-server question does): the button follows.
        rig.app.StopServers();
        QTRY_COMPARE(rig.ButtonText(IDOK), QString("Start"));
        QTRY_COMPARE(rig.Title(), QString("ORX Boot Server - Transfer (Stopped)"));
        rig.Click(IDOK);
        QTRY_VERIFY(!rig.LogText().contains("HV7"));
        QTRY_VERIFY(rig.LogText().contains("Server waiting for boot request..."));
    }

    // Apply while a transfer runs asks first (the other ways: tests/display/sheet.sh): No
    // changes nothing, Yes restarts the servers with the settings.
    void applyStopsATransferOnlyAfterTheQuestion() {
        CSheetRig rig;
        rig.app.Config().m_nBootNet = 1;
        rig.Open(PAGE_TRANSFER);
        rig.Click(IDOK);
        rig.BootRequest(2, "HV7A");
        ClickCheck(rig.Find<QCheckBox>("checkCloseDone"));
        for (const int nAnswer : {IDNO, IDYES}) {
            rig.boxes.m_nAnswer = nAnswer;
            rig.Click(ID_APPLY_NOW);
            QCOMPARE(rig.app.Config().m_bTranCloseDone, nAnswer == IDYES);
            QCOMPARE(rig.app.TransferCount(), size_t(nAnswer == IDNO));
        }
        QCOMPARE(rig.BoxTexts(),
                 std::vector<std::string>(2, "Are you sure you want to STOP active transfers?"));
        QVERIFY(rig.app.ServersRunning());
    }

    // The program closes itself after the last transfer, without a question, unless a unit
    // asked meanwhile; its servers started by auto start, as start-up opens this page then.
    void closeWhenDoneWaitsForAUnitThatAskedMeanwhile() {
        CSheetRig rig;
        rig.app.Config().m_nBootNet = 1;
        rig.app.Config().m_bTranCloseDone = true;
        rig.app.Config().m_bTranAutoStart = true;
        rig.Open(PAGE_TRANSFER);
        QTRY_VERIFY(rig.app.ServersRunning());
        rig.BootRequest(2, "HV7A");
        rig.CompleteUnit(2);
        rig.BootRequest(3, "HV7B");  // before the close the completion posted is handled
        QTRY_VERIFY(rig.LogText().contains("HV7B: Starting Transfer"));
        QVERIFY(rig.pSheet->isVisible());
        rig.CompleteUnit(3);
        QTRY_VERIFY(!rig.pSheet->isVisible());
        QVERIFY(rig.boxes.m_shown.empty());
    }

    // A refusal on the Ethernet page commits the Select page's change (serial ticked, which
    // lets the address be edited) neither, and leaves the running servers alone; it says
    // why in a box and in the log, and shows the field.
    void aRefusalCommitsNothingAndRestartsNothing_data() { AddRows(kRefusalRows); }
    void aRefusalCommitsNothingAndRestartsNothing() {
        QFETCH(int, row);
        const QString strWhy = kRefusalRows[row].pszWhy;
        CSheetRig rig;
        rig.Config().m_nBootNet = 1;
        rig.Config().m_strNetNode = "ORXHV7410";
        rig.Open(PAGE_TRANSFER);
        rig.Click(IDOK);
        rig.pSheet->SetActivePage(PAGE_SELECT);
        ClickCheck(rig.Find<QCheckBox>("checkSerial"));
        rig.pSheet->SetActivePage(PAGE_ETHERNET);
        if (row == 0) rig.Find<CIpAddressCtrl>("ipAddress")->Field(3)->clear();
        if (row == 1) rig.Find<QComboBox>("comboUnitName")->setEditText("");
        rig.pSheet->SetActivePage(PAGE_TRANSFER);
        rig.Click(ID_APPLY_NOW);
        QCOMPARE(rig.BoxTexts(), std::vector<std::string>{strWhy.toStdString()});
        auto* pField = rig.Find<QWidget>(kRefusalRows[row].pszField);
        QTRY_VERIFY(pField->isAncestorOf(QApplication::focusWidget()) ||
                    pField == QApplication::focusWidget());
        QTRY_COMPARE(rig.LogText().count(strWhy), 1);
        QVERIFY(!rig.LogText().contains("halted"));
        QVERIFY(rig.app.ServersRunning());
        QCOMPARE(rig.Config().m_nBootSerial.load(), 0);
    }

    // What the engine asks or tells while the window is up waits for a turn of its own (the
    // caller, a socket notification, goes on first), then shows one box at a time, in order.
    void boxesWaitForTheirTurnInOrder() {
        CSheetRig rig;
        rig.Open();
        rig.boxes.m_nAnswer = IDNO;
        std::vector<bool> arrAnswers;
        rig.front.Ask({EPrompt::OtherServer, "Go on ?", MB_YESNO | MB_ICONEXCLAMATION},
                      [&](bool bYes) { arrAnswers.push_back(bYes); });
        rig.front.Tell({EPrompt::StartFailed, "Then this", MB_OK | MB_ICONSTOP});
        QVERIFY(rig.boxes.m_shown.empty());
        QTRY_COMPARE(rig.boxes.m_shown.size(), size_t(2));
        QCOMPARE(rig.boxes.m_shown[0].first, std::string("Go on ?"));
        QCOMPARE(rig.boxes.m_shown[1].first, std::string("Then this"));
        QCOMPARE(arrAnswers, std::vector<bool>{false});
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

    // The log's menu: Save As... writes the lines as shown, a place that cannot be written
    // says why, Clear empties it.
    void logMenuSavesTheLinesAndClears() {
        CSheetRig rig;
        rig.Config().m_nBootNet = 1;
        rig.Open(PAGE_TRANSFER);
        rig.Click(IDOK);
        QTRY_VERIFY(rig.LogText().endsWith("Server waiting for boot request...\n"));
        const auto choose = [&](const QString& strItem) {
            const std::unique_ptr<QMenu> pMenu(rig.Find<CLogView>("log")->CreateMenu());
            for (QAction* pAction : pMenu->actions())
                if (pAction->text().remove('&') == strItem) pAction->trigger();
        };
        for (const std::string& strPath :
             {rig.dir.Path("log.txt"), rig.dir.Path("log.txt/no.txt")}) {
            rig.files.m_strAnswer = strPath;
            choose("Save As...");
        }
        QFile saved(QString::fromStdString(rig.dir.Path("log.txt")));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(saved.readAll()), rig.LogText());
        QCOMPARE(rig.BoxTexts(), std::vector<std::string>{"The log could not be saved to '" +
                                                          rig.dir.Path("log.txt/no.txt") +
                                                          "': Not a directory (20)"});
        choose("Clear");
        QCOMPARE(rig.LogText(), QString());
    }

    // Names for screen readers are read over AT-SPI in tests/display/screen_reader.sh, F1
    // and the help's About in tests/display/sheet.sh.
    void aboutFromTheSelectPageHelpFromTheButton() {
        CSheetRig rig;
        rig.Open(PAGE_SELECT);
        QString strTitle;
        QTimer::singleShot(0, [&] {
            QWidget* pBox = QApplication::activeModalWidget();
            if (!pBox) return;
            strTitle = pBox->windowTitle();
            QTest::keyClick(pBox, Qt::Key_Return);
        });
        QTest::mouseClick(rig.Find<QPushButton>("buttonAbout"), Qt::LeftButton);
        QCOMPARE(strTitle, QString("About ORXBoot"));
        QTest::mouseClick(rig.Find<QWidget>("helpButton"), Qt::LeftButton);
        QCOMPARE(rig.Find<QWidget>("helpWindow")->windowTitle(), QString("ORXBoot Help - Select"));
    }
};

ORX_UI_TEST(MainSheetTest)
#include "main_sheet_test.moc"
