#pragma once
// The main sheet in wizard form over the real engine, its serial ports pseudo-terminals
// of simulated units.

#include "tests/ui/SheetRig.h"

const QString kIntro = "ORX Boot Server - Introduction";
const QString kFile = "ORX Boot Server - Select File";
const QString kSelect = "ORX Boot Server - Select Serial Port";
const QString kBoot = "ORX Boot Server - Cold Boot";
const QString kWait = "ORX Boot Server - Waiting For Connection";
const QString kDownload = "ORX Boot Server - Downloading";
const QString kSuccess = "ORX Boot Server - Download Success";

struct CWizardRig : CSheetRig {
    CWizardRig() : CSheetRig(true) {
        Config().m_bWizardMode = true;  // and what start-up forces for a wizard
        Config().m_nBootSerial = 1;
        Config().m_nComOpenAllPorts = 0;
    }

    // The wizard as start-up shows it; the titles it takes and the bar's values recorded.
    void Show() {
        Open(PAGE_SELECT);
        QObject::connect(pSheet, &QWidget::windowTitleChanged,
                         [this](const QString& strTitle) { m_arrTitles << strTitle; });
        QObject::connect(Find<QProgressBar>("progressDownload"), &QProgressBar::valueChanged,
                         [this](int n) { m_arrBar << n; });
    }
    void Next() const { Click(ID_WIZNEXT); }
    void Back() const { Click(ID_WIZBACK); }
    bool NextEnabled() const { return pSheet->Button(ID_WIZNEXT)->isEnabled(); }
    QString Text(const char* pszName) const { return Find<QLabel>(pszName)->text(); }
    // Shows the wizard and presses Next up to the port page.
    bool WalkToPorts() {
        Show();
        for (const QString& strPage : {kIntro, kFile}) {
            if (Title() != strPage) return false;
            Next();
        }
        return Title() == kSelect;
    }
    // A unit on COM1 that asks when cued (arrArgs besides), the wizard waiting for it.
    QProcess* UnitAndWait(const QStringList& arrArgs = {}) {
        QProcess* pUnit = StartUnit("COM1", QStringList{"--no-menu", "--on-cue"} + arrArgs);
        if (!pUnit || !WalkToPorts()) return nullptr;
        Next();
        Next();
        return Title() == kWait ? pUnit : nullptr;
    }
    // The pages from the last time the wizard came to strFirst.
    QStringList PagesFrom(const QString& strFirst) const {
        const qsizetype i = m_arrTitles.lastIndexOf(strFirst);
        return i < 0 ? QStringList() : m_arrTitles.mid(i);
    }
    // Tells a unit started with --on-cue to ask for its serial boot now.
    static void Cue(QProcess* pUnit) { pUnit->write("\n"); }
    static bool Finished(QProcess* pUnit) {
        return pUnit->state() == QProcess::NotRunning || pUnit->waitForFinished(20000);
    }

    QStringList m_arrTitles;
    QList<int> m_arrBar;
};
