#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "tests/ui/UiTest.h"
#include "ui/PropertySheet.h"

namespace {

// A page with one check box whose state is the "setting"; it counts its calls.
class CTestPage : public CPropertyPage {
public:
    CTestPage(int nId, const QString& strCaption, bool& bSetting)
        : CPropertyPage(nId, strCaption), m_bSetting(bSetting) {
        m_pCheck = new QCheckBox(strCaption, this);
        auto* pLayout = new QVBoxLayout(this);
        pLayout->addWidget(m_pCheck);
        connect(m_pCheck, &QCheckBox::toggled, this, [this] { SetModified(); });
    }
    QCheckBox* m_pCheck;
    bool& m_bSetting;
    int m_nInits = 0;
    int m_nActivations = 0;
    bool m_bRefuse = false;
    bool m_bDecline = false;
    int m_nNext = WIZ_MOVE;
    int m_nBack = WIZ_MOVE;

protected:
    void OnInitDialog() override {
        ++m_nInits;
        m_pCheck->setChecked(m_bSetting);  // loading: must not mark the page modified
    }
    bool OnSetActive() override {
        ++m_nActivations;
        return !m_bDecline;
    }
    bool OnApply() override {
        if (m_bRefuse) return false;
        m_bSetting = m_pCheck->isChecked();
        return true;
    }
    int OnWizardNext() override { return m_nNext; }
    int OnWizardBack() override { return m_nBack; }
};

class CTestSheet : public CPropertySheet {
public:
    CTestSheet(ESheetForm eForm, bool (&arrSettings)[3]) : CPropertySheet("Test", eForm) {
        const char* arrNames[] = {"One", "Two", "Three"};
        for (int i = 0; i < 3; ++i) {
            m_arrPages[i] = new CTestPage(100 + i, arrNames[i], arrSettings[i]);
            AddPage(m_arrPages[i]);
        }
    }
    CTestPage* m_arrPages[3];
};

}  // namespace

class PropertySheetTest : public QObject {
    Q_OBJECT
private slots:
    void applyCommitsShownPagesOnly() {
        bool arrSettings[3] = {true, false, true};
        CTestSheet sheet(ESheetForm::Tabs, arrSettings);
        sheet.show();
        QPushButton* pApply = sheet.Button(ID_APPLY_NOW);
        QVERIFY(!pApply->isEnabled());  // loading page one did not mark it modified
        QCOMPARE(sheet.m_arrPages[0]->m_pCheck->isChecked(), true);

        // Page two is shown and changed; page three is never shown.
        sheet.findChild<QTabWidget*>("sheetTabs")->setCurrentIndex(1);
        ClickCheck(sheet.m_arrPages[1]->m_pCheck);
        QVERIFY(pApply->isEnabled());
        arrSettings[2] = false;  // changed behind the page's back: an unshown page keeps it
        QTest::mouseClick(pApply, Qt::LeftButton);
        QCOMPARE(arrSettings[1], true);
        QCOMPARE(arrSettings[2], false);
        QVERIFY(!pApply->isEnabled());
        QCOMPARE(sheet.m_arrPages[2]->m_nInits, 0);

        // Going back to a page activates it again without loading it again.
        sheet.findChild<QTabWidget*>("sheetTabs")->setCurrentIndex(0);
        QCOMPARE(sheet.m_arrPages[0]->m_nInits, 1);
        QCOMPARE(sheet.m_arrPages[0]->m_nActivations, 2);

        // A page that refuses stops the Apply and is shown.
        ClickCheck(sheet.m_arrPages[0]->m_pCheck);
        sheet.m_arrPages[1]->m_bRefuse = true;
        QTest::mouseClick(pApply, Qt::LeftButton);
        QCOMPARE(sheet.ActiveIndex(), 1);
        QVERIFY(pApply->isEnabled());
    }

    void wizardMovesAndJumpsAsThePagesSay() {
        bool arrSettings[3] = {};
        CTestSheet sheet(ESheetForm::Wizard, arrSettings);
        sheet.show();
        auto press = [&](int nButton) {
            QTest::mouseClick(sheet.Button(nButton), Qt::LeftButton);
            return sheet.ActiveIndex();
        };
        QCOMPARE(press(ID_WIZNEXT), 1);
        sheet.m_arrPages[1]->m_nNext = 100;  // a jump back to the first page by its id
        QCOMPARE(press(ID_WIZNEXT), 0);
        sheet.m_arrPages[0]->m_nNext = 102;
        QCOMPARE(press(ID_WIZNEXT), 2);
        // Back goes to the page before in order, whatever the jumps were.
        QCOMPARE(press(ID_WIZBACK), 1);
        sheet.m_arrPages[1]->m_nBack = WIZ_STAY;
        QCOMPARE(press(ID_WIZBACK), 1);
        // A page that declines its activation leaves the wizard where it was.
        sheet.m_arrPages[2]->m_bDecline = true;
        sheet.m_arrPages[1]->m_nNext = WIZ_MOVE;
        QCOMPARE(press(ID_WIZNEXT), 1);
    }

    // Without fonts text renders as nothing and every other check still passes.
    void labelsRenderWithAFont() {
        QLabel label("Transfer");
        label.adjustSize();
        const QImage image = label.grab().toImage();
        const QRgb background = image.pixel(0, 0);
        int nInk = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) nInk += image.pixel(x, y) != background;
        }
        QVERIFY2(nInk > 20, "no glyphs drawn: install fonts-dejavu-core");
    }
};

ORX_UI_TEST(PropertySheetTest)
#include "property_sheet_test.moc"
