#pragma once
#include <QApplication>
#include <QCheckBox>
#include <QObject>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <functional>
#include <memory>
#include <optional>

#include "tests/TestImage.h"

// Each window suite is a Qt Test class registered by name; CTest runs one per entry.
using FMakeUiTest = std::function<std::unique_ptr<QObject>()>;
int RegisterUiTest(const char* pszName, FMakeUiTest fnMake);
#define ORX_UI_TEST(Class)                  \
    static const int s_nRegistered##Class = \
        RegisterUiTest(#Class, [] { return std::make_unique<Class>(); });
// A suite that CTest starts in a private network namespace (tests/ui/in_netns.sh).
#define ORX_UI_TEST_NETNS(Class) ORX_UI_TEST(Class)

// The rows of a table-driven case, each named by its pszRow; the case reads kRows[row].
template <class TRow, size_t N>
void AddRows(const TRow (&arrRows)[N]) {
    QTest::addColumn<int>("row");
    for (size_t i = 0; i < N; ++i) QTest::newRow(arrRows[i].pszRow) << int(i);
}

// A real click where a check box or radio button takes it (its indicator).
inline void ClickCheck(QAbstractButton* pButton) {
    QStyleOptionButton option;
    option.initFrom(pButton);
    const QRect rect =
        pButton->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, pButton);
    QTest::mouseClick(pButton, Qt::LeftButton, {}, rect.center());
}

// Each key to whichever widget has the focus then, as a keyboard does; '<' is Backspace,
// '^' a Shift pressed alone.
inline void TypeKeys(const QString& strKeys) {
    for (QChar ch : strKeys) {
        if (ch == '<')
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
        else if (ch == '^')
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Shift);
        else
            QTest::keyClick(QApplication::focusWidget(), ch.toLatin1());
    }
}

inline QString Dotted(std::optional<uint32_t> dw) {
    return dw ? QString::fromStdString(DottedAddress(*dw)) : QString("invalid");
}
