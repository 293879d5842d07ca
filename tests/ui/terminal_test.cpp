// The serial terminal against simulated units on pseudo-terminals.
#include <QClipboard>
#include <string>
#include <vector>

#include "tests/ui/SheetRig.h"
#include "ui/TerminalEditCtrl.h"

namespace {
const QString kPrompt = "Press any key to enter the boot menu\n";

QString Shown(CSheetRig& rig) {
    CTerminalEditCtrl* pEdit = rig.Terminal().EditCtrl();
    return pEdit ? pEdit->toPlainText() : QString();
}

// The terminal open on a unit that has printed its prompt; beeps counted.
bool OpenOnPrompt(CSheetRig& rig, int& nBeeps) {
    rig.app.OpenTerminal();
    if (!rig.Terminal().Exists()) return false;
    rig.Terminal().EditCtrl()->m_fnBeep = [&nBeeps] { ++nBeeps; };
    return QTest::qWaitFor([&] { return Shown(rig).contains(kPrompt); }, 10000);
}
}  // namespace

class TerminalTest : public QObject {
    Q_OBJECT
private slots:
    void typedKeyGoesToTheUnitAndOnlyItsAnswerShows() {
        CSheetRig rig(true);
        QProcess* pUnit = rig.StartUnit("COM1", {"--expect-keys", "2", "--timeout", "5000"});
        QVERIFY(pUnit);
        int nBeeps = 0;
        QVERIFY(OpenOnPrompt(rig, nBeeps));
        QCOMPARE(rig.Terminal().Window()->windowTitle(), QString("Serial Port Terminal - COM1"));
        QTest::keyClick(rig.Terminal().EditCtrl(), '2');
        QByteArray out;
        QTRY_VERIFY(
            (out += pUnit->readAllStandardOutput()).contains("menu keys as expected: \"2\""));
        // The unit's answer, then its serial boot request, with its bytes as hex.
        QTRY_VERIFY(Shown(rig).contains(kPrompt + "\nmenu> {AA}UU{AA}"));
        QCOMPARE(nBeeps, 0);
    }

    void keyTypedDuringADownloadBeepsAndSendsNothing() {
        CSheetRig rig(true);
        rig.Config().m_nBootSerial = 1;
        QProcess* pUnit = rig.StartUnit(
            "COM1", {"--no-menu", "--stall-after", "2", "--stall-ms", "1500", "--timeout", "5000"});
        QVERIFY(pUnit);
        QVERIFY(rig.app.StartServers());
        rig.app.OpenTerminal();
        QVERIFY(rig.Terminal().Exists());
        int nBeeps = 0;
        rig.Terminal().EditCtrl()->m_fnBeep = [&nBeeps] { ++nBeeps; };
        QByteArray out;
        QTRY_VERIFY((out += pUnit->readAllStandardOutput()).contains("stalling after"));
        QVERIFY(rig.app.IsSerialDownloadActive());
        QTest::keyClick(rig.Terminal().EditCtrl(), 'x');
        QCOMPARE(nBeeps, 1);
        // The stalled unit heard nothing before the download gave up.
        QTRY_COMPARE_WITH_TIMEOUT(pUnit->state(), QProcess::NotRunning, 10000);
        QCOMPARE(pUnit->exitCode(), 0);
    }

    void closingReleasesThePortAndReopeningRestoresSizeAndPlace() {
        CSheetRig rig(true);
        QVERIFY(rig.StartUnit("COM1", {"--timeout", "20000"}));
        int nBeeps = 0;
        QVERIFY(OpenOnPrompt(rig, nBeeps));
        QWidget* pWindow = rig.Terminal().Window();
        QCOMPARE(pWindow->size(), QSize(500, 400));
        QVERIFY(!rig.PortFree("COM1"));
        pWindow->setGeometry(130, 90, 640, 300);
        const QRect rect = pWindow->geometry();
        pWindow->close();
        QVERIFY(!rig.Terminal().Exists());
        QVERIFY(!rig.Config().m_bTerminal);
        QVERIFY(rig.PortFree("COM1"));
        rig.app.OpenTerminal();
        QVERIFY(rig.Terminal().Exists());
        QCOMPARE(rig.Terminal().Window()->geometry(), rect);
        QVERIFY(rig.Config().m_bTerminal);
    }

    void portThatVanishesIsToldAndTheWindowStaysUsable() {
        CSheetRig rig(true);
        QProcess* pUnit = rig.StartUnit("COM1", {"--timeout", "20000"});
        QVERIFY(pUnit);
        int nBeeps = 0;
        QVERIFY(OpenOnPrompt(rig, nBeeps));
        pUnit->kill();  // the adapter is pulled out
        QTRY_VERIFY(Shown(rig).contains("*** Serial port 'COM1' stopped: "));
        QTest::keyClick(rig.Terminal().EditCtrl(), 'a');
        QCOMPARE(nBeeps, 1);
        QVERIFY(rig.Terminal().Window()->isVisible());
        rig.Terminal().Window()->close();
        QVERIFY(!rig.Terminal().Exists());
    }

    void longPasteSendsWhatTheRingHoldsAndBeepsForTheRest() {
        CSheetRig rig(true);
        const QString strRing(255, 'x');
        QProcess* pUnit = rig.StartUnit("COM1", {"--expect-keys", strRing, "--timeout", "5000"});
        QVERIFY(pUnit);
        int nBeeps = 0;
        QVERIFY(OpenOnPrompt(rig, nBeeps));
        QGuiApplication::clipboard()->setText(QString(600, 'x'));
        QTest::keySequence(rig.Terminal().EditCtrl(), QKeySequence::Paste);
        QCOMPARE(nBeeps, 1);
        QByteArray out;
        QTRY_VERIFY((out += pUnit->readAllStandardOutput()).contains("menu keys as expected"));
        QVERIFY(!Shown(rig).contains("xx"));
    }

    // What the window adds to the display conversion it shares with the headless face.
    void chunksShow_data() {
        QTest::addColumn<std::vector<std::string>>("chunks");
        QTest::addColumn<QString>("shown");
        QTest::newRow("only backspaces keep the text")
            << std::vector<std::string>{"abc", "\b\b"} << "abc";
        QTest::newRow("CR LF split over two chunks is one break")
            << std::vector<std::string>{"a\r", "\nb"} << "a\nb";
    }
    void chunksShow() {
        QFETCH(std::vector<std::string>, chunks);
        QFETCH(QString, shown);
        CTerminalEditCtrl edit([](const uint8_t*, size_t) { return size_t{0}; });
        for (const std::string& s : chunks)
            edit.AppendTerminalText(reinterpret_cast<const uint8_t*>(s.data()), s.size());
        QCOMPARE(edit.toPlainText(), shown);
    }

    void oldestLinesGoAboveTheCap() {
        CTerminalEditCtrl edit([](const uint8_t*, size_t) { return size_t{0}; });
        const std::string strLine = "line\r\n";
        for (int i = 0; i < CTerminalEditCtrl::kMaxLines + 50; ++i)
            edit.AppendTerminalText(reinterpret_cast<const uint8_t*>(strLine.data()),
                                    strLine.size());
        QCOMPARE(edit.LineCount(), CTerminalEditCtrl::kMaxLines);
    }
};

ORX_UI_TEST(TerminalTest)
#include "terminal_test.moc"
