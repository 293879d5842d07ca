#include "ui/PropertySheet.h"

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

CPropertySheet::CPropertySheet(const QString& strCaption, ESheetForm eForm, int nStartPage,
                               QWidget* pParent)
    : QDialog(pParent), m_strCaption(strCaption), m_eForm(eForm), m_nStartPage(nStartPage) {
    setWindowTitle(strCaption);
    m_pTabs = new QTabWidget(this);
    m_pTabs->setObjectName("sheetTabs");
    // The tab bar alone takes the focus, by Tab only: a click on a tab leaves it with the
    // page, where the keys are meant for. A wizard has no tabs to focus.
    m_pTabs->setFocusPolicy(Qt::NoFocus);
    m_pTabs->tabBar()->setFocusPolicy(IsWizard() ? Qt::NoFocus : Qt::TabFocus);
    if (IsWizard()) m_pTabs->tabBar()->hide();
    connect(m_pTabs, &QTabWidget::currentChanged, this, &CPropertySheet::OnTabChanged);

    // The style lays the roles out in its order; the ids stay what pages and tests press.
    m_pButtons = new QDialogButtonBox(this);
    m_pButtons->setObjectName("sheetButtons");
    auto addButton = [this](const QString& strText, QDialogButtonBox::ButtonRole eRole, int nId) {
        QPushButton* pButton = m_pButtons->addButton(strText, eRole);
        connect(pButton, &QPushButton::clicked, this, [this, nId] { OnCommand(nId); });
        return pButton;
    };
    if (IsWizard()) {
        m_pBack = addButton(tr("< &Back"), QDialogButtonBox::ActionRole, ID_WIZBACK);
        m_pNext = addButton(tr("&Next >"), QDialogButtonBox::ActionRole, ID_WIZNEXT);
        m_pCancel = addButton(tr("Cancel"), QDialogButtonBox::RejectRole, IDCANCEL);
        m_pNext->setDefault(true);
    } else {
        m_pOk = addButton(tr("OK"), QDialogButtonBox::AcceptRole, IDOK);
        m_pCancel = addButton(tr("Cancel"), QDialogButtonBox::RejectRole, IDCANCEL);
        m_pApply = addButton(tr("&Apply"), QDialogButtonBox::ApplyRole, ID_APPLY_NOW);
        m_pApply->setEnabled(false);
        m_pOk->setDefault(true);
    }
    m_pButtonRow = new QHBoxLayout;
    m_pButtonRow->addWidget(m_pButtons, 1);
    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(m_pTabs, 1);
    pLayout->addLayout(m_pButtonRow);
}

CPropertySheet::~CPropertySheet() = default;

void CPropertySheet::AddPage(CPropertyPage* pPage) {
    pPage->m_pSheet = this;
    pPage->setAccessibleName(pPage->Caption());
    for (QComboBox* pCombo : pPage->findChildren<QComboBox*>()) NameComboParts(pCombo);
    m_arrPages.push_back(pPage);
    const QSignalBlocker block(m_pTabs);
    m_pTabs->addTab(pPage, pPage->Caption());
}

CPropertyPage* CPropertySheet::Page(int nIndex) const {
    if (nIndex < 0 || nIndex >= PageCount()) return nullptr;
    return m_arrPages[static_cast<size_t>(nIndex)];
}

int CPropertySheet::PageIndex(const CPropertyPage* pPage) const {
    for (int i = 0; i < PageCount(); ++i) {
        if (Page(i) == pPage) return i;
    }
    return -1;
}

bool CPropertySheet::SetActivePage(int nIndex) {
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

QPushButton* CPropertySheet::Button(int nId) const {
    switch (nId) {
        case IDOK:
            return m_pOk;
        case IDCANCEL:
            return m_pCancel;
        case ID_APPLY_NOW:
            return m_pApply;
        case ID_WIZBACK:
            return m_pBack;
        case ID_WIZNEXT:
            return m_pNext;
        default:
            return nullptr;
    }
}

void CPropertySheet::SetWizardButtons(unsigned nFlags) {
    if (!IsWizard()) return;
    m_pBack->setEnabled((nFlags & PSWIZB_BACK) != 0);
    m_pNext->setEnabled((nFlags & PSWIZB_NEXT) != 0);
}

void CPropertySheet::AddLeftButton(QAbstractButton* pButton) {
    pButton->setParent(this);
    m_pButtonRow->insertWidget(0, pButton);
}

// The row's buttons as they stand on screen, from left to right.
std::vector<QWidget*> CPropertySheet::RowButtons() const {
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
int CPropertySheet::DoModal() {
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

CPropertySheet* CPropertySheet::Shown() {
    for (QWidget* pWindow : QApplication::topLevelWidgets()) {
        auto* pSheet = qobject_cast<CPropertySheet*>(pWindow);
        if (pSheet && pSheet->isVisible()) return pSheet;
    }
    return nullptr;
}

void CPropertySheet::EndDialog(int nResult) {
    done(nResult);
}

bool CPropertySheet::CheckPages() {
    for (CPropertyPage* pPage : m_arrPages) {
        if (!pPage->IsCreated() || pPage->CanApply()) continue;
        SetActivePage(pPage);
        return false;
    }
    return true;
}

bool CPropertySheet::PressApply() {
    if (!CheckPages()) return false;
    for (CPropertyPage* pPage : m_arrPages) {
        if (!pPage->IsCreated()) continue;
        if (!pPage->OnApply()) {
            SetActivePage(pPage);
            return false;
        }
    }
    for (CPropertyPage* pPage : m_arrPages) pPage->m_bModified = false;
    UpdateApplyButton();
    return true;
}

void CPropertySheet::PostCommand(int nId) {
    QTimer::singleShot(0, this, [this, nId] { OnCommand(nId); });
}

void CPropertySheet::UpdateApplyButton() {
    if (!m_pApply) return;
    bool bAny = false;
    for (CPropertyPage* pPage : m_arrPages) bAny = bAny || pPage->IsModified();
    m_pApply->setEnabled(bAny);
}

void CPropertySheet::OnInitDialog() {
    int nStart = Page(m_nStartPage) ? m_nStartPage : 0;
    {
        const QSignalBlocker block(m_pTabs);
        m_pTabs->setCurrentIndex(nStart);
    }
    Activate(nStart);
}

void CPropertySheet::OnCommand(int nId) {
    switch (nId) {
        case IDOK:
            if (PressApply()) EndDialog(IDOK);
            break;
        case IDCANCEL:
            EndDialog(IDCANCEL);
            break;
        case ID_APPLY_NOW:
            PressApply();
            break;
        case ID_WIZNEXT:
            if (CPropertyPage* pPage = ActivePage()) WizardMove(pPage->OnWizardNext(), 1);
            break;
        case ID_WIZBACK:
            if (CPropertyPage* pPage = ActivePage()) WizardMove(pPage->OnWizardBack(), -1);
            break;
        default:
            break;
    }
}

void CPropertySheet::WizardMove(int nResult, int nStep) {
    if (nResult == WIZ_STAY) return;
    int nTarget = m_nActive + nStep;
    if (nResult != WIZ_MOVE) {
        nTarget = -1;
        for (int i = 0; i < PageCount(); ++i) {
            if (Page(i)->DialogId() == nResult) nTarget = i;
        }
    }
    SetActivePage(nTarget);
}

void CPropertySheet::reject() {
    OnCommand(IDCANCEL);
}

void CPropertySheet::closeEvent(QCloseEvent* pEvent) {
    // The page logic decides whether and how the sheet ends.
    pEvent->ignore();
    OnClose();
}

void CPropertySheet::showEvent(QShowEvent* pEvent) {
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

void CPropertySheet::OnTabChanged(int nIndex) {
    if (nIndex == m_nActive || !Page(nIndex)) return;
    if (Activate(nIndex)) return;
    const QSignalBlocker block(m_pTabs);
    m_pTabs->setCurrentIndex(m_nActive);
}

bool CPropertySheet::Activate(int nIndex) {
    CPropertyPage* pPage = Page(nIndex);
    pPage->Create();
    if (!pPage->OnSetActive()) return false;
    m_nActive = nIndex;
    if (IsWizard()) setWindowTitle(pPage->Caption());
    OnActivePageChanged();
    FocusPage(pPage);
    return true;
}

namespace {
bool TakesKeys(const QWidget* pWidget) {
    return (pWidget->focusPolicy() & Qt::TabFocus) && pWidget->isEnabled() &&
           pWidget->isVisible() && !pWidget->focusProxy();
}

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
        if (p->isChecked() && TakesKeys(p)) return p;
    }
    return pButton;
}

// Not a push button: Return on one presses it instead of the default button.
bool IsFirstControl(const QWidget* pWidget) {
    return TakesKeys(pWidget) && !qobject_cast<const QPushButton*>(pWidget);
}
}  // namespace

QWidget* CPropertySheet::FirstControl(CPropertyPage* pPage) {
    for (QWidget* p = pPage->nextInFocusChain(); p != pPage; p = p->nextInFocusChain()) {
        if (!pPage->isAncestorOf(p) || !IsFirstControl(p)) continue;
        auto* pButton = qobject_cast<QAbstractButton*>(p);
        return pButton ? Landing(pButton) : p;
    }
    return nullptr;
}

// The page's first control takes the focus, so that keys go where the user looks: never
// a hidden widget, nor the tab bar with no mark at the start. A control of the page that
// Qt gave it back stays, and so does the tab bar the user moves along, or the sheet's
// button that showed the page (Start shows the Transfer page and stays Stop).
void CPropertySheet::FocusPage(CPropertyPage* pPage) {
    const QWidget* pFocus = focusWidget();
    if (pFocus && pPage->isAncestorOf(pFocus) && IsFirstControl(pFocus)) return;
    if (!IsWizard() && pFocus && pFocus == m_pTabs->tabBar()) return;
    if (!IsWizard() && m_bPageByCommand && pFocus && TakesKeys(pFocus) &&
        !m_pTabs->isAncestorOf(pFocus))
        return;
    QWidget* pTarget = FirstControl(pPage);
    // A page without one (disabled, or text only): the tabs, else the button to go on.
    if (!pTarget && !IsWizard()) pTarget = m_pTabs->tabBar();
    for (QPushButton* pButton : {m_pNext, m_pOk, m_pBack, m_pCancel}) {
        if (!pTarget && pButton && TakesKeys(pButton)) pTarget = pButton;
    }
    if (!pTarget) return;
    pTarget->setFocus(Qt::TabFocusReason);
    // Styles mark the focus only after a key moved it; this move stands for one.
    setAttribute(Qt::WA_KeyboardFocusChange);
}
