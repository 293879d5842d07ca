#include <QPointer>
#include <fstream>

#include "tests/ui/SheetRig.h"
#include "ui/WizardSheet.h"

class ModeSwitchTest : public QObject {
    Q_OBJECT
private slots:
    // Advanced and wizard sheets follow each other in one run; each switch stops the
    // servers and leaves nothing of the old sheet behind.
    void switchingBuildsAFreshSheetEachTime() {
        CSheetRig rig;
        QStringList arrFaults;
        auto check = [&](bool bOk, const QString& strWhat) {
            if (!bOk) arrFaults << strWhat;
        };
        std::vector<QPointer<CModalSheet>> arrSheets;
        const int nWidgetsBefore = QApplication::allWidgets().size();
        int nRound = 0;
        rig.front.m_fnOnSheet = [&](CModalSheet& sheet) {
            arrSheets.emplace_back(&sheet);
            check(!rig.app.ServersRunning(), "servers left running by the old sheet");
            QTimer::singleShot(0, &sheet, [&] {
                if (qobject_cast<CWizardSheet*>(&sheet)) {
                    const CORXBootConfig& c = rig.app.Config();
                    check(c.m_nBootSerial == 1 && !c.m_bTranAutoStart && !c.m_bTranCloseDone &&
                              !c.m_bTerminal,
                          "wizard settings not forced");
                    QTest::mouseClick(sheet.findChild<QPushButton*>("buttonAdvanced"),
                                      Qt::LeftButton);
                    return;
                }
                if (nRound++ == 5) {
                    QTest::mouseClick(sheet.Button(IDCANCEL), Qt::LeftButton);
                    return;
                }
                auto* pSerial = sheet.findChild<QCheckBox*>("checkSerial");
                if (pSerial->isChecked()) ClickCheck(pSerial);  // no serial ports here
                if (!rig.app.ServersRunning())
                    QTest::mouseClick(sheet.Button(IDOK), Qt::LeftButton);
                check(rig.app.ServersRunning(), "servers did not start");
                QTest::mouseClick(sheet.findChild<QPushButton*>("buttonWizard"), Qt::LeftButton);
            });
        };
        QVERIFY(rig.RunProgram(
            "WIZARDMODE=0\nBOOTNET=1\nNETTYPE=1\nTRANAUTOSTART=1\nTRANCLOSEDONE=1\nBOOTFILE=" +
            rig.Config().m_strBootFile + "\n"));

        QVERIFY2(arrFaults.isEmpty(), qPrintable(arrFaults.join("; ")));
        QCOMPARE(arrSheets.size(), size_t(11));
        for (const auto& pSheet : arrSheets) QVERIFY(pSheet.isNull());
        QCOMPARE(QApplication::allWidgets().size(), nWidgetsBefore);
        QVERIFY(!rig.app.ServersRunning());
        QVERIFY(!rig.app.Config().m_bWizardMode);
        // The wizard's forced values were saved with the rest.
        std::ifstream in(rig.dir.Path("orxboot.ini"));
        const std::string strSaved((std::istreambuf_iterator<char>(in)), {});
        QVERIFY(strSaved.find("TRANAUTOSTART=0") != std::string::npos);
        QVERIFY(strSaved.find("WIZARDMODE=0") != std::string::npos);
    }
};

ORX_UI_TEST(ModeSwitchTest)
#include "mode_switch_test.moc"
