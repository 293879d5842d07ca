#pragma once
// A property sheet: a dialog that shows pages on tabs with Start/OK, Close/Cancel and
// Apply buttons, or, in wizard form, one page at a time with Back, Next and Cancel.
//
// Writing a page (derive from CPropertyPage):
//   - Build the controls in the constructor and connect their change signals to
//     SetModified(). Give every control without a visible label an accessible name.
//   - OnInitDialog(): runs once, the first time the page is shown; load the settings
//     into the controls there. SetModified is ignored while it runs, so loading never
//     marks the page modified (LoadWithoutModifying does the same elsewhere).
//   - OnSetActive(): runs on every activation, after OnInitDialog the first time;
//     return false to decline (the sheet stays where it was).
//   - CanApply(): check the controls; return false to refuse (say why, focus the field).
//     Every shown page is asked before any commits, so a refusal commits nothing.
//   - OnApply(): commit the controls into the settings. Only pages that have been shown
//     (IsCreated) are asked, in page order; return false to refuse, and the sheet shows
//     that page and stops the Apply (and anything that pressed it).
//   - Wizard form: OnWizardNext()/OnWizardBack() return WIZ_MOVE (one page on/back),
//     WIZ_STAY, or the dialog id of the page to jump to; set the buttons with
//     Sheet()->SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT) in OnSetActive. The window
//     title is the active page's caption. There is no Finish button and no history:
//     Back goes to the page before in page order unless OnWizardBack says otherwise.
// Writing a sheet (derive from CPropertySheet): AddPage() each page (the sheet owns
// them), override OnInitDialog() (call the base first: it shows the start page),
// OnCommand(IDOK / IDCANCEL / ID_APPLY_NOW / ID_WIZBACK / ID_WIZNEXT) and OnClose()
// (the window's close box; by default the same as IDCANCEL). Escape is IDCANCEL, Enter
// presses the default button. DoModal() returns what EndDialog() was given.
#include <QDialog>
#include <QString>
#include <vector>

#include "platform/MessageBox.h"
#include "ui/PropertyPage.h"

class QAbstractButton;
class QDialogButtonBox;
class QHBoxLayout;
class QPushButton;
class QTabWidget;

constexpr int ID_APPLY_NOW = 0x3021;
constexpr int ID_WIZBACK = 0x3023;
constexpr int ID_WIZNEXT = 0x3024;
constexpr unsigned PSWIZB_BACK = 0x1;
constexpr unsigned PSWIZB_NEXT = 0x2;

enum class ESheetForm { Tabs, Wizard };

class CPropertySheet : public QDialog {
    Q_OBJECT
public:
    CPropertySheet(const QString& strCaption, ESheetForm eForm, int nStartPage = 0,
                   QWidget* pParent = nullptr);
    ~CPropertySheet() override;

    void AddPage(CPropertyPage* pPage);
    int PageCount() const { return static_cast<int>(m_arrPages.size()); }
    CPropertyPage* Page(int nIndex) const;
    int PageIndex(const CPropertyPage* pPage) const;
    CPropertyPage* ActivePage() const { return Page(m_nActive); }
    int ActiveIndex() const { return m_nActive; }
    // Before the sheet is shown this only chooses the start page.
    bool SetActivePage(int nIndex);
    bool SetActivePage(CPropertyPage* pPage) { return SetActivePage(PageIndex(pPage)); }

    bool IsWizard() const { return m_eForm == ESheetForm::Wizard; }
    const QString& Caption() const { return m_strCaption; }
    // IDOK, IDCANCEL, ID_APPLY_NOW (tabs) or ID_WIZBACK, ID_WIZNEXT, IDCANCEL (wizard).
    QPushButton* Button(int nId) const;
    void SetWizardButtons(unsigned nFlags);
    // A small button at the left end of the button row (the sheet takes it).
    void AddLeftButton(QAbstractButton* pButton);

    // Runs until EndDialog, blocking no other window (the serial terminal takes keys).
    int DoModal();
    // The sheet on screen, if any.
    static CPropertySheet* Shown();
    void EndDialog(int nResult);
    // Every shown page's CanApply; false (that page shown) when one refused.
    bool CheckPages();
    // CheckPages, then every shown page's OnApply; false when one refused.
    bool PressApply();
    // Runs the command later on this thread, as a posted WM_COMMAND would.
    void PostCommand(int nId);
    void UpdateApplyButton();

protected:
    virtual void OnInitDialog();
    virtual void OnCommand(int nId);
    virtual void OnClose() { OnCommand(IDCANCEL); }
    virtual void OnActivePageChanged() {}

    void reject() override;
    void closeEvent(QCloseEvent* pEvent) override;
    void showEvent(QShowEvent* pEvent) override;

private:
    void OnTabChanged(int nIndex);
    bool Activate(int nIndex);
    void FocusPage(CPropertyPage* pPage);
    static QWidget* FirstControl(CPropertyPage* pPage);
    std::vector<QWidget*> RowButtons() const;
    void WizardMove(int nResult, int nStep);

    const QString m_strCaption;
    const ESheetForm m_eForm;
    int m_nStartPage;
    int m_nActive = -1;
    bool m_bInitialized = false;
    bool m_bPageByCommand = false;  // SetActivePage, not the user on the tabs
    std::vector<CPropertyPage*> m_arrPages;
    QTabWidget* m_pTabs = nullptr;
    QHBoxLayout* m_pButtonRow = nullptr;
    QDialogButtonBox* m_pButtons = nullptr;
    QPushButton* m_pOk = nullptr;
    QPushButton* m_pCancel = nullptr;
    QPushButton* m_pApply = nullptr;
    QPushButton* m_pBack = nullptr;
    QPushButton* m_pNext = nullptr;
};
