#pragma once
// What the tabbed sheet (PropertySheet.h) and the wizard (WizardSheet.h) share: a dialog
// of pages shown one at a time over a row of buttons.
//
// Writing a page (derive from CPropertyPage):
//   - Build the controls in the constructor and connect their change signals to
//     SetModified(). Give every control without a visible label an accessible name.
//   - OnInitDialog(): runs once, the first time the page is shown; load the settings
//     into the controls there. SetModified is ignored while it runs, so loading never
//     marks the page modified (LoadWithoutModifying does the same elsewhere).
//   - OnSetActive(): runs on every activation, after OnInitDialog the first time;
//     return false to decline (the sheet stays where it was).
// Writing a sheet: AddPage() each page (the sheet owns them), override OnInitDialog()
// (call the base first: it shows the start page), OnCommand() and OnClose() (the
// window's close box; by default the same as IDCANCEL). Escape is IDCANCEL, Enter
// presses the default button. DoModal() returns what EndDialog() was given.
#include <QDialog>
#include <QDialogButtonBox>
#include <QString>
#include <map>
#include <vector>

#include "platform/MessageBox.h"
#include "ui/PropertyPage.h"

// Commands of the sheets' buttons besides IDOK and IDCANCEL.
constexpr int ID_APPLY_NOW = 0x3021;
constexpr int ID_WIZBACK = 0x3023;
constexpr int ID_WIZNEXT = 0x3024;

class QAbstractButton;
class QHBoxLayout;
class QPushButton;
class QTabWidget;

class CModalSheet : public QDialog {
    Q_OBJECT
public:
    CModalSheet(const QString& strCaption, int nStartPage, QWidget* pParent);
    ~CModalSheet() override;

    void AddPage(CPropertyPage* pPage);
    int PageCount() const { return static_cast<int>(m_arrPages.size()); }
    CPropertyPage* Page(int nIndex) const;
    int PageIndex(const CPropertyPage* pPage) const;
    CPropertyPage* ActivePage() const { return Page(m_nActive); }
    int ActiveIndex() const { return m_nActive; }
    // Before the sheet is shown this only chooses the start page.
    bool SetActivePage(int nIndex);
    bool SetActivePage(CPropertyPage* pPage) { return SetActivePage(PageIndex(pPage)); }

    const QString& Caption() const { return m_strCaption; }
    // The button that runs OnCommand(nId), if the sheet has one.
    QPushButton* Button(int nId) const;
    // A small button at the left end of the button row (the sheet takes it).
    void AddLeftButton(QAbstractButton* pButton);

    // Runs until EndDialog, blocking no other window (the serial terminal takes keys).
    int DoModal();
    // The sheet on screen, if any.
    static CModalSheet* Shown();
    void EndDialog(int nResult);
    // Runs the command later on this thread, as a posted WM_COMMAND would.
    void PostCommand(int nId);
    // A page's modified mark changed.
    virtual void UpdateApplyButton() {}
    // Tab can reach the widget now.
    static bool TakesKeys(const QWidget* pWidget);

protected:
    // The style lays the roles out in its order; the id is what pages and tests press.
    QPushButton* AddButton(const QString& strText, QDialogButtonBox::ButtonRole eRole, int nId);
    QTabWidget* Tabs() const { return m_pTabs; }
    const std::vector<CPropertyPage*>& Pages() const { return m_arrPages; }
    // SetActivePage is at work: the page changes by command, not by the user on the tabs.
    bool PageByCommand() const { return m_bPageByCommand; }

    virtual void OnInitDialog();
    virtual void OnCommand(int nId);
    virtual void OnClose() { OnCommand(IDCANCEL); }
    virtual void OnActivePageChanged() {}
    // A focus outside the page that stays when the page changes.
    virtual bool KeepsFocus(const QWidget*) const { return false; }
    // Where the focus goes on a page without a control to take it, before the buttons.
    virtual QWidget* PageFallbackFocus() const { return nullptr; }

    void reject() override;
    void closeEvent(QCloseEvent* pEvent) override;
    void showEvent(QShowEvent* pEvent) override;

private:
    void OnTabChanged(int nIndex);
    bool Activate(int nIndex);
    void FocusPage(CPropertyPage* pPage);
    static QWidget* FirstControl(CPropertyPage* pPage);
    std::vector<QWidget*> RowButtons() const;

    const QString m_strCaption;
    int m_nStartPage;
    int m_nActive = -1;
    bool m_bInitialized = false;
    bool m_bPageByCommand = false;
    std::vector<CPropertyPage*> m_arrPages;
    QTabWidget* m_pTabs = nullptr;
    QHBoxLayout* m_pButtonRow = nullptr;
    QDialogButtonBox* m_pButtons = nullptr;
    std::map<int, QPushButton*> m_mapButtons;
};
