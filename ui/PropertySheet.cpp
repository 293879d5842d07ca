#include "ui/PropertySheet.h"

#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

CPropertySheet::CPropertySheet(const QString& strCaption, int nStartPage, QWidget* pParent)
    : CModalSheet(strCaption, nStartPage, pParent) {
    // The tab bar alone takes the focus, by Tab only: a click on a tab leaves it with the
    // page, where the keys are meant for.
    Tabs()->tabBar()->setFocusPolicy(Qt::TabFocus);
    QPushButton* pOk = AddButton(tr("OK"), QDialogButtonBox::AcceptRole, IDOK);
    AddButton(tr("Cancel"), QDialogButtonBox::RejectRole, IDCANCEL);
    AddButton(tr("&Apply"), QDialogButtonBox::ApplyRole, ID_APPLY_NOW)->setEnabled(false);
    pOk->setDefault(true);
}

bool CPropertySheet::CheckPages() {
    for (CPropertyPage* pPage : Pages()) {
        if (!pPage->IsCreated() || pPage->CanApply()) continue;
        SetActivePage(pPage);
        return false;
    }
    return true;
}

bool CPropertySheet::PressApply() {
    if (!CheckPages()) return false;
    for (CPropertyPage* pPage : Pages()) {
        if (!pPage->IsCreated()) continue;
        if (!pPage->OnApply()) {
            SetActivePage(pPage);
            return false;
        }
    }
    for (CPropertyPage* pPage : Pages()) pPage->m_bModified = false;
    UpdateApplyButton();
    return true;
}

void CPropertySheet::UpdateApplyButton() {
    bool bAny = false;
    for (const CPropertyPage* pPage : Pages()) bAny = bAny || pPage->IsModified();
    Button(ID_APPLY_NOW)->setEnabled(bAny);
}

void CPropertySheet::OnCommand(int nId) {
    switch (nId) {
        case IDOK:
            if (PressApply()) EndDialog(IDOK);
            break;
        case ID_APPLY_NOW:
            PressApply();
            break;
        default:
            CModalSheet::OnCommand(nId);
            break;
    }
}

// The tab bar the user moves along keeps the focus, and so does the sheet's button that
// showed the page (Start shows the Transfer page and stays Stop).
bool CPropertySheet::KeepsFocus(const QWidget* pFocus) const {
    if (pFocus == Tabs()->tabBar()) return true;
    return PageByCommand() && TakesKeys(pFocus) && !Tabs()->isAncestorOf(pFocus);
}

QWidget* CPropertySheet::PageFallbackFocus() const {
    return Tabs()->tabBar();
}
