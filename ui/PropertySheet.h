#pragma once
// A property sheet: pages on tabs over OK (Start), Cancel (Close) and Apply.
//
// Its pages (see ModalSheet.h) also answer:
//   - CanApply(): check the controls; return false to refuse (say why, focus the field).
//     Every shown page is asked before any commits, so a refusal commits nothing.
//   - OnApply(): commit the controls into the settings. Only pages that have been shown
//     (IsCreated) are asked, in page order; return false to refuse, and the sheet shows
//     that page and stops the Apply (and anything that pressed it).
// A sheet's OnCommand sees IDOK, IDCANCEL and ID_APPLY_NOW.
#include "ui/ModalSheet.h"

class CPropertySheet : public CModalSheet {
    Q_OBJECT
public:
    explicit CPropertySheet(const QString& strCaption, int nStartPage = 0,
                            QWidget* pParent = nullptr);

    // Every shown page's CanApply; false (that page shown) when one refused.
    bool CheckPages();
    // CheckPages, then every shown page's OnApply; false when one refused.
    bool PressApply();
    void UpdateApplyButton() override;

protected:
    void OnCommand(int nId) override;
    bool KeepsFocus(const QWidget* pFocus) const override;
    QWidget* PageFallbackFocus() const override;
};
