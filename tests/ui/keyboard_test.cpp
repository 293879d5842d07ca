// The keyboard on every page: each Alt+letter reaches one control, each label is read as
// what it shows, and walking through the controls with Tab changes no setting. Focus, stacking and
// screen-reader names are tested through the X server: tests/display/.
#include <QAccessible>
#include <QKeySequence>
#include <map>

#include "tests/ui/SheetRig.h"

namespace {
// The Alt+letter of a text, or 0.
int Mnemonic(const QString& strText) {
    const QKeySequence key = QKeySequence::mnemonic(strText);
    return key.isEmpty() ? 0 : key[0].key();
}

// The sheet's buttons from left to right, as the style lays them out. "Start" and "Stop"
// share the place, so both count on every page.
QStringList SheetButtonTexts(CSheetRig& rig) {
    std::map<int, QString> mapTexts;
    for (const int nId : {IDOK, IDCANCEL, ID_APPLY_NOW, ID_WIZBACK, ID_WIZNEXT}) {
        if (QPushButton* pButton = rig.pSheet->Button(nId))
            mapTexts[pButton->mapTo(rig.pSheet, QPoint()).x()] = pButton->text();
    }
    QStringList arrTexts;
    for (const auto& [nX, strText] : mapTexts) arrTexts << strText;
    return arrTexts;
}
}  // namespace

class KeyboardTest : public QObject {
    Q_OBJECT
private slots:
    void mnemonicsAreUniqueAndLabelsReadWhatTheyShow_data() {
        QTest::addColumn<bool>("wizard");
        QTest::newRow("advanced") << false;
        QTest::newRow("wizard") << true;
    }
    void mnemonicsAreUniqueAndLabelsReadWhatTheyShow() {
        QFETCH(bool, wizard);
        CSheetRig rig;
        rig.Config().m_bWizardMode = wizard;
        rig.Config().m_nBootNet = 1;
        rig.Open();
        QStringList arrSheet = SheetButtonTexts(rig);
        const QStringList arrOrder = wizard ? QStringList{"< &Back", "&Next >", "Cancel"}
                                            : QStringList{"&Start", "&Close", "&Apply"};
        QCOMPARE(arrSheet, arrOrder);
        if (!wizard) {
            rig.Click(IDOK);  // "Start" becomes "Stop"
            QVERIFY(rig.app.ServersRunning());
            arrSheet << SheetButtonTexts(rig);
        }
        for (int nPage = 0; nPage < rig.pSheet->PageCount(); ++nPage) {
            CPropertyPage* pPage = rig.pSheet->Page(nPage);
            QStringList arrTexts = arrSheet;
            for (const QAbstractButton* pButton : pPage->findChildren<QAbstractButton*>())
                arrTexts << pButton->text();
            for (QLabel* pLabel : pPage->findChildren<QLabel*>()) {
                // A name set over a label's text hides what it shows from a screen reader.
                if (!pLabel->text().isEmpty())
                    QCOMPARE(QAccessible::queryAccessibleInterface(pLabel)->text(QAccessible::Name),
                             QString(pLabel->text()).remove('&'));
                if (!Mnemonic(pLabel->text())) continue;
                QVERIFY2(pLabel->buddy(), qPrintable(pLabel->text() + ": leads nowhere"));
                arrTexts << pLabel->text();
            }
            std::map<int, QString> mapTaken;
            for (const QString& strText : arrTexts) {
                const int nKey = Mnemonic(strText);
                if (!nKey) continue;
                const auto [it, bNew] = mapTaken.emplace(nKey, strText);
                QVERIFY2(bNew || it->second == strText,
                         qPrintable(pPage->Caption() + ": '" + it->second + "' and '" + strText +
                                    "' share a key"));
            }
        }
    }

    // Leaving the boot file's field matches its text to a history entry, which Qt reports
    // as a choice; that is no change to apply.
    void tabbingThroughEveryPageChangesNothing() {
        CSheetRig rig;
        rig.Config().m_nBootNet = 1;
        rig.Config().m_nBootSerial = 1;
        rig.Config().m_arrBootFiles = {rig.Config().m_strBootFile, "/a/first.bin"};
        rig.Open();
        for (int nPage = 0; nPage < rig.pSheet->PageCount(); ++nPage) {
            rig.pSheet->SetActivePage(nPage);
            for (int i = 0; i < 30; ++i) TypeKeys("\t");
        }
        QVERIFY(!rig.pSheet->Button(ID_APPLY_NOW)->isEnabled());
    }
};

ORX_UI_TEST(KeyboardTest)
#include "keyboard_test.moc"
