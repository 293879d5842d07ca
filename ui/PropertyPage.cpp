#include "ui/PropertyPage.h"

#include "ui/ModalSheet.h"

CPropertyPage::CPropertyPage(int nDialogId, const QString& strCaption)
    : m_nDialogId(nDialogId), m_strCaption(strCaption) {}

void CPropertyPage::SetModified(bool bModified) {
    if (m_bLoading || m_bModified == bModified) return;
    m_bModified = bModified;
    if (m_pSheet) m_pSheet->UpdateApplyButton();
}

void CPropertyPage::Create() {
    if (m_bCreated) return;
    m_bCreated = true;
    LoadWithoutModifying([this] { OnInitDialog(); });
}
