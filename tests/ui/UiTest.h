#pragma once
#include <QCheckBox>
#include <QObject>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/MessageBox.h"

// Each window suite is a Qt Test class registered by name; CTest runs one per entry.
using FMakeUiTest = std::function<std::unique_ptr<QObject>()>;
int RegisterUiTest(const char* pszName, FMakeUiTest fnMake);
#define ORX_UI_TEST(Class)                  \
    static const int s_nRegistered##Class = \
        RegisterUiTest(#Class, [] { return std::make_unique<Class>(); });
// A suite that CTest starts in a private network namespace (tests/ui/in_netns.sh).
#define ORX_UI_TEST_NETNS(Class) ORX_UI_TEST(Class)

// Answers message boxes without a modal loop and remembers what they said.
class CFakeBoxes : public IMessageBox {
public:
    int Show(const std::string& strText, unsigned nType) override {
        m_arrTexts.push_back(strText);
        m_arrTypes.push_back(nType);
        return (nType & 0xF) == MB_YESNO ? m_nAnswer : IDOK;
    }
    std::vector<std::string> m_arrTexts;
    std::vector<unsigned> m_arrTypes;
    int m_nAnswer = IDYES;
};

// A real click where a check box or radio button takes it (its indicator).
inline void ClickCheck(QAbstractButton* pButton) {
    QStyleOptionButton option;
    option.initFrom(pButton);
    const QRect rect =
        pButton->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, pButton);
    QTest::mouseClick(pButton, Qt::LeftButton, {}, rect.center());
}
