#pragma once
#include <QString>
#include <QWidget>

class CModalSheet;

// Results of OnWizardNext / OnWizardBack besides a page's dialog id.
constexpr int WIZ_MOVE = 0;   // one page on (Next) or back (Back)
constexpr int WIZ_STAY = -1;  // stay on this page

// One page of a sheet or a wizard (see ModalSheet.h for how to write one).
class CPropertyPage : public QWidget {
    Q_OBJECT
public:
    // nDialogId names the page for wizard jumps; strCaption is its tab text (or, in a
    // wizard, the window title while it is shown).
    CPropertyPage(int nDialogId, const QString& strCaption);

    int DialogId() const { return m_nDialogId; }
    const QString& Caption() const { return m_strCaption; }
    // The page has been shown once: its OnInitDialog ran and its values are loaded.
    bool IsCreated() const { return m_bCreated; }
    bool IsModified() const { return m_bModified; }
    // Marks the page changed (enables the sheet's Apply). Ignored while values are
    // being loaded (OnInitDialog, or inside a CLoadingGuard).
    void SetModified(bool bModified = true);
    CModalSheet* Sheet() const { return m_pSheet; }

    // Runs fn with SetModified ignored, for pages that load values outside OnInitDialog.
    template <class F>
    void LoadWithoutModifying(F fn) {
        const bool bWas = m_bLoading;
        m_bLoading = true;
        fn();
        m_bLoading = bWas;
    }

protected:
    // First show only: load the settings into the controls.
    virtual void OnInitDialog() {}
    // Every activation; false declines it (the sheet stays on the page it was on).
    virtual bool OnSetActive() { return true; }
    // Check the controls before any page commits; false refuses (the page has said why
    // and put the focus on the field; the sheet shows this page and commits nothing).
    virtual bool CanApply() { return true; }
    // Commit the controls into the settings; false refuses (the sheet shows this page
    // and the Apply, or the Start that pressed it, goes no further).
    virtual bool OnApply() { return true; }
    // Wizard form: WIZ_MOVE, WIZ_STAY or the dialog id of the page to go to.
    virtual int OnWizardNext() { return WIZ_MOVE; }
    virtual int OnWizardBack() { return WIZ_MOVE; }

private:
    friend class CModalSheet;
    friend class CPropertySheet;
    friend class CWizardSheet;
    void Create();

    const int m_nDialogId;
    const QString m_strCaption;
    CModalSheet* m_pSheet = nullptr;
    bool m_bCreated = false;
    bool m_bModified = false;
    bool m_bLoading = false;
};
