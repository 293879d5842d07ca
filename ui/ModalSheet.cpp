#include "ui/ModalSheet.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/Accessibility.h"

CModalSheet::CModalSheet(const QString& strCaption, int nStartPage, QWidget* pParent)
    : QDialog(pParent), m_strCaption(strCaption), m_nStartPage(nStartPage) {
    setWindowTitle(strCaption);
    m_pTabs = new QTabWidget(this);
    m_pTabs->setObjectName("sheetTabs");
    m_pTabs->setFocusPolicy(Qt::NoFocus);
    m_pTabs->tabBar()->setFocusPolicy(Qt::NoFocus);
    connect(m_pTabs, &QTabWidget::currentChanged, this, &CModalSheet::OnTabChanged);
    m_pButtons = new QDialogButtonBox(this);
    m_pButtons->setObjectName("sheetButtons");
    m_pButtonRow = new QHBoxLayout;
    m_pButtonRow->addWidget(m_pButtons, 1);
    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(m_pTabs, 1);
    pLayout->addLayout(m_pButtonRow);
}

CModalSheet::~CModalSheet() = default;

void CModalSheet::AddPage(CPropertyPage* pPage) {
    pPage->m_pSheet = this;
    pPage->setAccessibleName(pPage->Caption());
    for (QComboBox* pCombo : pPage->findChildren<QComboBox*>()) NameComboParts(pCombo);
    m_arrPages.push_back(pPage);
    const QSignalBlocker block(m_pTabs);
    m_pTabs->addTab(pPage, pPage->Caption());
}

CPropertyPage* CModalSheet::Page(int nIndex) const {
    if (nIndex < 0 || nIndex >= PageCount()) return nullptr;
    return m_arrPages[static_cast<size_t>(nIndex)];
}

int CModalSheet::PageIndex(const CPropertyPage* pPage) const {
    for (int i = 0; i < PageCount(); ++i) {
        if (Page(i) == pPage) return i;
    }
    return -1;
}

bool CModalSheet::SetActivePage(int nIndex) {
    if (!Page(nIndex)) return false;
    if (!m_bInitialized) {
        m_nStartPage = nIndex;
        return true;
    }
    if (nIndex == m_nActive) return true;
    const bool bWas = m_bPageByCommand;
    m_bPageByCommand = true;
    m_pTabs->setCurrentIndex(nIndex);
    m_bPageByCommand = bWas;
    return m_nActive == nIndex;
}

QPushButton* CModalSheet::Button(int nId) const {
    const auto it = m_mapButtons.find(nId);
    return it == m_mapButtons.end() ? nullptr : it->second;
}

QPushButton* CModalSheet::AddButton(const QString& strText, QDialogButtonBox::ButtonRole eRole,
                                    int nId) {
    QPushButton* pButton = m_pButtons->addButton(strText, eRole);
    connect(pButton, &QPushButton::clicked, this, [this, nId] { OnCommand(nId); });
    m_mapButtons[nId] = pButton;
    return pButton;
}

void CModalSheet::AddLeftButton(QAbstractButton* pButton) {
    pButton->setParent(this);
    m_pButtonRow->insertWidget(0, pButton);
}

// The row's buttons as they stand on screen, from left to right.
std::vector<QWidget*> CModalSheet::RowButtons() const {
    std::vector<QWidget*> arrButtons;
    for (int i = 0; i < m_pButtonRow->count(); ++i) {
        QWidget* pWidget = m_pButtonRow->itemAt(i)->widget();
        if (pWidget && pWidget != m_pButtons) arrButtons.push_back(pWidget);
    }
    std::vector<QWidget*> arrBox;
    for (QAbstractButton* pButton : m_pButtons->buttons()) arrBox.push_back(pButton);
    std::sort(arrBox.begin(), arrBox.end(),
              [](const QWidget* a, const QWidget* b) { return a->x() < b->x(); });
    arrButtons.insert(arrButtons.end(), arrBox.begin(), arrBox.end());
    return arrButtons;
}

// Not QDialog::exec(): that blocks every other window of the program, the terminal among
// them. Boxes and dialogs over the sheet block the sheet alone.
int CModalSheet::DoModal() {
    setResult(0);
    bool bEnded = false;
    QEventLoop loop;
    const QMetaObject::Connection ended = connect(this, &QDialog::finished, &loop, [&] {
        bEnded = true;
        loop.quit();
    });
    show();
    if (!bEnded) loop.exec(QEventLoop::DialogExec);
    disconnect(ended);
    return result();
}

CModalSheet* CModalSheet::Shown() {
    for (QWidget* pWindow : QApplication::topLevelWidgets()) {
        auto* pSheet = qobject_cast<CModalSheet*>(pWindow);
        if (pSheet && pSheet->isVisible()) return pSheet;
    }
    return nullptr;
}

void CModalSheet::EndDialog(int nResult) {
    done(nResult);
}

void CModalSheet::PostCommand(int nId) {
    QTimer::singleShot(0, this, [this, nId] { OnCommand(nId); });
}

void CModalSheet::OnInitDialog() {
    int nStart = Page(m_nStartPage) ? m_nStartPage : 0;
    {
        const QSignalBlocker block(m_pTabs);
        m_pTabs->setCurrentIndex(nStart);
    }
    Activate(nStart);
}

void CModalSheet::OnCommand(int nId) {
    if (nId == IDCANCEL) EndDialog(IDCANCEL);
}

void CModalSheet::reject() {
    OnCommand(IDCANCEL);
}

void CModalSheet::closeEvent(QCloseEvent* pEvent) {
    // The page logic decides whether and how the sheet ends.
    pEvent->ignore();
    OnClose();
}

void CModalSheet::showEvent(QShowEvent* pEvent) {
    QDialog::showEvent(pEvent);
    if (m_bInitialized) return;
    m_bInitialized = true;
    // The pages were made after the buttons: Tab goes through the page first, then the
    // buttons from left to right.
    QWidget* pPrevious = m_pTabs;
    for (QWidget* p = nextInFocusChain(); p != this; p = p->nextInFocusChain()) {
        if (m_pTabs->isAncestorOf(p)) pPrevious = p;
    }
    for (QWidget* pButton : RowButtons()) {
        setTabOrder(pPrevious, pButton);
        pPrevious = pButton;
    }
    OnInitDialog();
}

void CModalSheet::OnTabChanged(int nIndex) {
    if (nIndex == m_nActive || !Page(nIndex)) return;
    if (Activate(nIndex)) return;
    const QSignalBlocker block(m_pTabs);
    m_pTabs->setCurrentIndex(m_nActive);
}

bool CModalSheet::Activate(int nIndex) {
    CPropertyPage* pPage = Page(nIndex);
    pPage->Create();
    if (!pPage->OnSetActive()) return false;
    m_nActive = nIndex;
    OnActivePageChanged();
    FocusPage(pPage);
    return true;
}

bool CModalSheet::TakesKeys(const QWidget* pWidget) {
    return (pWidget->focusPolicy() & Qt::TabFocus) && pWidget->isEnabled() &&
           pWidget->isVisible() && !pWidget->focusProxy();
}

namespace {

// Where Tab would land on the page: Qt tabs into a group of radio buttons at its choice.
QWidget* Landing(QAbstractButton* pButton) {
    if (!qobject_cast<QRadioButton*>(pButton) || pButton->isChecked()) return pButton;
    QList<QAbstractButton*> arrGroup;
    if (pButton->group()) {
        arrGroup = pButton->group()->buttons();
    } else if (pButton->autoExclusive() && pButton->parentWidget()) {
        arrGroup =
            pButton->parentWidget()->findChildren<QAbstractButton*>(Qt::FindDirectChildrenOnly);
    }
    for (QAbstractButton* p : arrGroup) {
        if (p->isChecked() && CModalSheet::TakesKeys(p)) return p;
    }
    return pButton;
}

// Not a push button: Return on one presses it instead of the default button.
bool IsFirstControl(const QWidget* pWidget) {
    return CModalSheet::TakesKeys(pWidget) && !qobject_cast<const QPushButton*>(pWidget);
}
}  // namespace

QWidget* CModalSheet::FirstControl(CPropertyPage* pPage) {
    for (QWidget* p = pPage->nextInFocusChain(); p != pPage; p = p->nextInFocusChain()) {
        if (!pPage->isAncestorOf(p) || !IsFirstControl(p)) continue;
        auto* pButton = qobject_cast<QAbstractButton*>(p);
        return pButton ? Landing(pButton) : p;
    }
    return nullptr;
}

// The page's first control takes the focus, so that keys go where the user looks: never
// a hidden widget, nor the tab bar with no mark at the start. A control of the page that
// Qt gave it back stays, and so does a focus the sheet keeps.
void CModalSheet::FocusPage(CPropertyPage* pPage) {
    const QWidget* pFocus = focusWidget();
    if (pFocus && pPage->isAncestorOf(pFocus) && IsFirstControl(pFocus)) return;
    if (pFocus && KeepsFocus(pFocus)) return;
    QWidget* pTarget = FirstControl(pPage);
    // A page without one (disabled, or text only): the sheet's choice, else the button to
    // go on.
    if (!pTarget) pTarget = PageFallbackFocus();
    for (const int nId : {ID_WIZNEXT, IDOK, ID_WIZBACK, IDCANCEL}) {
        QPushButton* pButton = Button(nId);
        if (!pTarget && pButton && TakesKeys(pButton)) pTarget = pButton;
    }
    if (!pTarget) return;
    pTarget->setFocus(Qt::TabFocusReason);
    // Styles mark the focus only after a key moved it; this move stands for one.
    setAttribute(Qt::WA_KeyboardFocusChange);
}
