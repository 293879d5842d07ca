#include <QElapsedTimer>
#include <QScrollBar>
#include <QTextBlock>

#include "tests/ui/UiTest.h"
#include "ui/FrameGate.h"
#include "ui/LogView.h"

// The lines the log held at each of its paints.
class CPaintLog : public QObject {
public:
    explicit CPaintLog(CLogView& log) : m_log(log) { log.viewport()->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* pEvent) override {
        if (pEvent->type() == QEvent::Paint) m_arrLines.push_back(m_log.LineCount());
        return false;
    }
    CLogView& m_log;
    std::vector<int> m_arrLines;
};

class LogViewTest : public QObject {
    Q_OBJECT
private slots:
    // The newest text stays in view, unless the user has put the caret elsewhere: then the
    // selection and the scroll position stay as they were.
    void caretAtTheEndFollowsTheNewestTextAndTheUsersSelectionStays() {
        CLogView log;
        log.resize(300, 100);
        log.show();
        for (int i = 0; i < 50; ++i) log.AddText(QString("line %1\n").arg(i));
        QCOMPARE(log.textCursor().position(), log.document()->characterCount() - 1);
        QScrollBar* pBar = log.verticalScrollBar();
        QCOMPARE(pBar->value(), pBar->maximum());
        QTextCursor cursor(log.document()->findBlockByNumber(3));
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        log.setTextCursor(cursor);
        for (int i = 50; i < 100; ++i) log.AddText(QString("line %1\n").arg(i));
        QCOMPARE(log.textCursor().selectedText(), QString("line 3"));
        QVERIFY(pBar->value() < pBar->maximum());
    }

    // A burst of units must not cost a paint per line, nor leave the last lines unpainted.
    void burstOfLinesPaintsOnceAFrameEndingWithTheLast() {
        CLogView log;
        log.resize(300, 100);
        log.show();
        QVERIFY(QTest::qWaitForWindowExposed(&log));
        CFrameGate gate({&log}, nullptr);
        CPaintLog paints(log);
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < 300; ++i) {
            gate.Touch();
            log.AddText(QString("line %1\n").arg(i));
            QApplication::processEvents();  // each line in a loop turn of its own
        }
        QTRY_VERIFY(!paints.m_arrLines.empty() && paints.m_arrLines.back() == log.LineCount());
        // Counted after the wait: a loaded machine may paint again while the last line waits.
        const qint64 nFrames = timer.elapsed() / gate.FrameMs() + 2;
        QVERIFY2(qint64(paints.m_arrLines.size()) <= nFrames + 1,
                 qPrintable(
                     QString("%1 paints in %2 frames").arg(paints.m_arrLines.size()).arg(nFrames)));
    }

    void oldestLinesGoAboveTheCap() {
        CLogView log(nullptr, 1000, 10);
        for (int i = 0; i < 50; ++i) log.AddText(QString("line %1\n").arg(i));
        QTextCursor cursor(log.document()->findBlockByNumber(40));
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        log.setTextCursor(cursor);
        for (int i = 50; i < 5000; ++i) {
            log.AddText(QString("line %1\n").arg(i));
            QVERIFY(log.LineCount() <= 1010);
        }
        QVERIFY(log.LineCount() >= 1000);
        // The lines kept are the newest, in order, up to the last one.
        const int nFirst = 5000 - (log.LineCount() - 1);
        QCOMPARE(log.document()->firstBlock().text(), QString("line %1").arg(nFirst));
        QVERIFY(log.toPlainText().endsWith("line 4999\n"));
        // The user's place went with the lines it was on; it did not land on other text.
        QVERIFY(log.textCursor().selectedText().isEmpty());
    }
};

ORX_UI_TEST(LogViewTest)
#include "log_view_test.moc"
