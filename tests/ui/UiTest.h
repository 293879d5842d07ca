#pragma once
#include <QCheckBox>
#include <QObject>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <functional>
#include <memory>

// Each window suite is a Qt Test class registered by name; CTest runs one per entry.
using FMakeUiTest = std::function<std::unique_ptr<QObject>()>;
int RegisterUiTest(const char* pszName, FMakeUiTest fnMake);
#define ORX_UI_TEST(Class)                  \
    static const int s_nRegistered##Class = \
        RegisterUiTest(#Class, [] { return std::make_unique<Class>(); });
// A suite that CTest starts in a private network namespace (tests/ui/in_netns.sh).
#define ORX_UI_TEST_NETNS(Class) ORX_UI_TEST(Class)

// A real click where a check box or radio button takes it (its indicator).
inline void ClickCheck(QAbstractButton* pButton) {
    QStyleOptionButton option;
    option.initFrom(pButton);
    const QRect rect =
        pButton->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, pButton);
    QTest::mouseClick(pButton, Qt::LeftButton, {}, rect.center());
}
