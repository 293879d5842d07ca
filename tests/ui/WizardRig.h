#pragma once
// The main sheet in wizard form over the real engine, its serial ports pseudo-terminals
// of simulated units.
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "tests/ui/SerialRig.h"

const QString kIntro = "ORX Boot Server - Introduction";
const QString kFile = "ORX Boot Server - Select File";
const QString kSelect = "ORX Boot Server - Select Serial Port";
const QString kBoot = "ORX Boot Server - Cold Boot";
const QString kWait = "ORX Boot Server - Waiting For Connection";
const QString kDownload = "ORX Boot Server - Downloading";
const QString kSuccess = "ORX Boot Server - Download Success";

class CWizardRig : public CSerialRig {
public:
    CWizardRig() {
        Config().m_bWizardMode = true;  // and what start-up forces for a wizard
        Config().m_nBootSerial = 1;
        Config().m_nComOpenAllPorts = 0;
    }

    // The wizard as start-up shows it; the titles it takes and the bar's values recorded.
    void Show() {
        m_pSheet = &OpenSheet(PAGE_SELECT);
        QObject::connect(m_pSheet, &QWidget::windowTitleChanged,
                         [this](const QString& strTitle) { m_arrTitles << strTitle; });
        QObject::connect(Find<QProgressBar>("progressDownload"), &QProgressBar::valueChanged,
                         [this](int n) { m_arrBar << n; });
    }
    CMainSheet& Sheet() const { return *m_pSheet; }
    QString Title() const { return m_pSheet->windowTitle(); }
    void Next() const { QTest::mouseClick(m_pSheet->Button(ID_WIZNEXT), Qt::LeftButton); }
    void Back() const { QTest::mouseClick(m_pSheet->Button(ID_WIZBACK), Qt::LeftButton); }
    bool NextEnabled() const { return m_pSheet->Button(ID_WIZNEXT)->isEnabled(); }
    // A double click as the window system delivers it: press, release, press, release.
    void DoubleClickNext() const {
        QPushButton* pNext = m_pSheet->Button(ID_WIZNEXT);
        QTest::mouseDClick(m_pSheet->windowHandle(), Qt::LeftButton, {},
                           pNext->mapTo(m_pSheet, pNext->rect().center()));
    }
    QString Text(const char* pszName) const { return Find<QLabel>(pszName)->text(); }
    // The status line of the active page.
    QString Status() const {
        return m_pSheet->ActivePage()->findChild<QLabel*>("statusLine")->text();
    }
    // Shows the wizard and presses Next until the cold boot page, the servers started.
    bool WalkToColdBoot() {
        Show();
        for (const QString& strPage : {kIntro, kFile, kSelect}) {
            if (Title() != strPage) return false;
            Next();
        }
        return Title() == kBoot && App().ServersRunning();
    }
    // The pages from the last time the wizard came to strFirst.
    QStringList PagesFrom(const QString& strFirst) const {
        const qsizetype i = m_arrTitles.lastIndexOf(strFirst);
        return i < 0 ? QStringList() : m_arrTitles.mid(i);
    }
    std::vector<std::string> BoxTexts() {
        std::vector<std::string> arrTexts;
        for (const auto& [strText, nType] : Boxes().m_shown) arrTexts.push_back(strText);
        return arrTexts;
    }
    // Tells a unit started with --on-cue to ask for its serial boot now.
    static void Cue(QProcess* pUnit) { pUnit->write("\n"); }
    static bool Finished(QProcess* pUnit) {
        return pUnit->state() == QProcess::NotRunning || pUnit->waitForFinished(20000);
    }

    QStringList m_arrTitles;
    QList<int> m_arrBar;

private:
    CMainSheet* m_pSheet = nullptr;
};
