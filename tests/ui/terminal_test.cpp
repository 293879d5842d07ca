// The serial terminal and its place in the window's life, against simulated units on
// pseudo-terminals.
#include <QClipboard>
#include <string>

#include "tests/ui/SheetRig.h"
#include "ui/TerminalEditCtrl.h"

namespace {
const QString kPrompt = "Press any key to enter the boot menu\n";

QString Shown(CSheetRig& rig) {
    CTerminalEditCtrl* pEdit = rig.Terminal().EditCtrl();
    return pEdit ? pEdit->toPlainText() : QString();
}

bool UnitSaid(QProcess* pUnit, const char* pszText) {
    return pUnit->peek(1 << 20).contains(pszText);
}
}  // namespace

class TerminalTest : public QObject {
    Q_OBJECT
    int m_nBeeps = 0;

    // The terminal open, its beeps counted; with bPrompt, once the unit has printed its prompt.
    bool Open(CSheetRig& rig, bool bPrompt = true) {
        rig.app.OpenTerminal();
        if (!rig.Terminal().Exists()) return false;
        m_nBeeps = 0;
        rig.Terminal().EditCtrl()->m_fnBeep = [this] { ++m_nBeeps; };
        return !bPrompt || QTest::qWaitFor([&] { return Shown(rig).contains(kPrompt); }, 10000);
    }
private slots:
    void keyTypedDuringADownloadBeepsAndSendsNothing() {
        CSheetRig rig(true);
        rig.Config().m_nBootSerial = 1;
        QProcess* pUnit = rig.StartUnit(
            "COM1", {"--no-menu", "--stall-after", "2", "--stall-ms", "1500", "--timeout", "5000"});
        QVERIFY(pUnit);
        QVERIFY(rig.app.StartServers());
        QVERIFY(Open(rig, false));
        QTRY_VERIFY(UnitSaid(pUnit, "stalling after"));
        QVERIFY(rig.app.IsSerialDownloadActive());
        QTest::keyClick(rig.Terminal().EditCtrl(), 'x');
        QCOMPARE(m_nBeeps, 1);
        // The stalled unit heard nothing before the download gave up.
        QTRY_COMPARE_WITH_TIMEOUT(pUnit->state(), QProcess::NotRunning, 10000);
        QCOMPARE(pUnit->exitCode(), 0);
    }

    // Closing releases the port (its size and place come back: tests/display/terminal.sh);
    // then a paste goes to the unit as far as the send ring holds, and a port that goes away
    // is told with the window still usable.
    void closingReleasesThePortAndAPulledAdapterIsTold() {
        CSheetRig rig(true);
        QProcess* pUnit = rig.StartUnit("COM1", {"--timeout", "20000"});
        QVERIFY(pUnit);
        QVERIFY(Open(rig));
        QVERIFY(!rig.PortFree("COM1"));
        rig.Terminal().Window()->close();
        QVERIFY(!rig.Terminal().Exists());
        QVERIFY(!rig.Config().m_bTerminal);
        QVERIFY(rig.PortFree("COM1"));
        QVERIFY(Open(rig, false));
        QVERIFY(rig.Config().m_bTerminal);

        QGuiApplication::clipboard()->setText(QString(600, 'x'));
        QTest::keySequence(rig.Terminal().EditCtrl(), QKeySequence::Paste);
        QCOMPARE(m_nBeeps, 1);
        QVERIFY(!Shown(rig).contains("xx"));
        pUnit->kill();  // the adapter is pulled out
        QTRY_VERIFY(Shown(rig).contains("*** Serial port 'COM1' stopped: "));
        QTest::keyClick(rig.Terminal().EditCtrl(), 'a');
        QCOMPARE(m_nBeeps, 2);
        QVERIFY(rig.Terminal().Window()->isVisible());
        rig.Terminal().Window()->close();
        QVERIFY(!rig.Terminal().Exists());
    }

    // The Terminal button applies the serial settings at once; the program ending with the
    // terminal open releases its port and keeps it for the next start.
    void terminalButtonAppliesTheSettingsAndTheNextStartReopensIt() {
        CSheetRig rig(true);
        QVERIFY(rig.StartUnit("COM2", {"--timeout", "20000"}));
        rig.Open(PAGE_SERIAL);
        auto* pPort = rig.Find<QComboBox>("comboPort");
        pPort->lineEdit()->selectAll();
        QTest::keyClicks(pPort->lineEdit(), "COM2");
        rig.Find<QComboBox>("comboBaud")->setCurrentIndex(2);  // 19200
        QTest::mouseClick(rig.Find<QPushButton>("buttonTerminal"), Qt::LeftButton);
        QVERIFY(rig.Terminal().Exists());
        QCOMPARE(rig.Terminal().Window()->windowTitle(), QString("Serial Port Terminal - COM2"));
        rig.Click(IDCANCEL);
        QCOMPARE(rig.Config().m_strComPort, std::string("COM2"));
        QCOMPARE(rig.Config().m_nComBaud, 19200);
        rig.Close();
        rig.app.ExitInstance();
        QVERIFY(!rig.Terminal().Exists());
        QVERIFY(rig.PortFree("COM2"));
        QVERIFY(rig.Config().m_bTerminal);
    }

    // What the window adds to the display conversion it shares with the headless face: a
    // chunk of only backspaces keeps the text, and CR LF split over two chunks is one break.
    void chunksShow() {
        CTerminalEditCtrl edit([](const uint8_t*, size_t) { return size_t{0}; });
        for (const std::string s : {"abc", "\b\b", "\r", "\nb"})
            edit.AppendTerminalText(reinterpret_cast<const uint8_t*>(s.data()), s.size());
        QCOMPARE(edit.toPlainText(), QString("abc\nb"));
    }
};

ORX_UI_TEST(TerminalTest)
#include "terminal_test.moc"
