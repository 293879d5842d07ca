#pragma once
// A wizard: one page at a time over Back, Next and Cancel, titled by the page's caption.
//
// Its pages (see ModalSheet.h) also answer OnWizardNext()/OnWizardBack(): WIZ_MOVE (one
// page on/back), WIZ_STAY, or the dialog id of the page to jump to; they set the buttons
// with SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT) in OnSetActive. There is no Finish
// button and no history: Back goes to the page before in page order unless OnWizardBack
// says otherwise. A sheet's OnCommand sees ID_WIZBACK, ID_WIZNEXT and IDCANCEL.
#include "ui/ModalSheet.h"

constexpr unsigned PSWIZB_BACK = 0x1;
constexpr unsigned PSWIZB_NEXT = 0x2;

class CWizardSheet : public CModalSheet {
    Q_OBJECT
public:
    explicit CWizardSheet(const QString& strCaption, QWidget* pParent = nullptr);

    void SetWizardButtons(unsigned nFlags);

protected:
    void OnCommand(int nId) override;
    void OnActivePageChanged() override;
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    void WizardMove(int nResult, int nStep);
};
