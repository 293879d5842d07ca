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
    CTestPage(int nId, bool& bSetting)
        : CPropertyPage(nId, QString::number(nId)), m_bSetting(bSetting) {
        m_pCheck = new QCheckBox(QString::number(nId), this);
        auto* pLayout = new QVBoxLayout(this);
        pLayout->addWidget(m_pCheck);
        connect(m_pCheck, &QCheckBox::toggled, this, [this] { SetModified(); });
    }
    QCheckBox* m_pCheck;
    bool& m_bSetting;
    int m_nInits = 0;

protected:
    void OnInitDialog() override {
        ++m_nInits;
        m_pCheck->setChecked(m_bSetting);  // loading: must not mark the page modified
    }
    bool OnApply() override {
        m_bSetting = m_pCheck->isChecked();
        return true;
    }
};

}  // namespace

class PropertySheetTest : public QObject {
    Q_OBJECT
private slots:
    void applyCommitsShownPagesOnly() {
        bool arrSettings[3] = {true, false, true};
        CPropertySheet sheet("Test");
        CTestPage* arrPages[3];
        for (int i = 0; i < 3; ++i)
            sheet.AddPage(arrPages[i] = new CTestPage(100 + i, arrSettings[i]));
        sheet.show();
        QPushButton* pApply = sheet.Button(ID_APPLY_NOW);
        QVERIFY(!pApply->isEnabled());  // loading page one did not mark it modified

        // Page two is shown and changed; page three is never shown.
        sheet.findChild<QTabWidget*>("sheetTabs")->setCurrentIndex(1);
        ClickCheck(arrPages[1]->m_pCheck);
        QVERIFY(pApply->isEnabled());
        arrSettings[2] = false;  // changed behind the page's back: an unshown page keeps it
        QTest::mouseClick(pApply, Qt::LeftButton);
        QCOMPARE(arrSettings[1], true);
        QCOMPARE(arrSettings[2], false);
        QVERIFY(!pApply->isEnabled());
        QCOMPARE(arrPages[2]->m_nInits, 0);

        // Going back to a page does not load it again: changes made there would go.
        sheet.findChild<QTabWidget*>("sheetTabs")->setCurrentIndex(0);
        QCOMPARE(arrPages[0]->m_nInits, 1);
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
