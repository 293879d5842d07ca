#include "ui/WizardSheet.h"

#include <QEvent>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

CWizardSheet::CWizardSheet(const QString& strCaption, QWidget* pParent)
    : CModalSheet(strCaption, 0, pParent) {
    Tabs()->tabBar()->hide();
    QPushButton* pBack = AddButton(tr("< &Back"), QDialogButtonBox::ActionRole, ID_WIZBACK);
    QPushButton* pNext = AddButton(tr("&Next >"), QDialogButtonBox::ActionRole, ID_WIZNEXT);
    AddButton(tr("Cancel"), QDialogButtonBox::RejectRole, IDCANCEL);
    pNext->setDefault(true);
    // A double click on Next or Back is one press: it must not skip a page the user has
    // not read, such as the cold boot steps after the servers start.
    pNext->installEventFilter(this);
    pBack->installEventFilter(this);
}

bool CWizardSheet::eventFilter(QObject* pWatched, QEvent* pEvent) {
    if (pEvent->type() == QEvent::MouseButtonDblClick) return true;
    return CModalSheet::eventFilter(pWatched, pEvent);
}

void CWizardSheet::SetWizardButtons(unsigned nFlags) {
    Button(ID_WIZBACK)->setEnabled((nFlags & PSWIZB_BACK) != 0);
    Button(ID_WIZNEXT)->setEnabled((nFlags & PSWIZB_NEXT) != 0);
}

void CWizardSheet::OnCommand(int nId) {
    CPropertyPage* pPage = ActivePage();
    if (nId == ID_WIZNEXT && pPage) {
        WizardMove(pPage->OnWizardNext(), 1);
    } else if (nId == ID_WIZBACK && pPage) {
        WizardMove(pPage->OnWizardBack(), -1);
    } else {
        CModalSheet::OnCommand(nId);
    }
}

void CWizardSheet::WizardMove(int nResult, int nStep) {
    if (nResult == WIZ_STAY) return;
    int nTarget = ActiveIndex() + nStep;
    if (nResult != WIZ_MOVE) {
        nTarget = -1;
        for (int i = 0; i < PageCount(); ++i) {
            if (Page(i)->DialogId() == nResult) nTarget = i;
        }
    }
    SetActivePage(nTarget);
}

void CWizardSheet::OnActivePageChanged() {
    if (const CPropertyPage* pPage = ActivePage()) setWindowTitle(pPage->Caption());
}
