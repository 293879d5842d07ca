#pragma once
// The seven pages of the wizard, in wizard order (see Wizard.h for the whole).
#include <QString>

#include "ui/PropertyPage.h"

class CORXBootConfig;
class CWizard;
class QBoxLayout;
class QCheckBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;

class CWizPage : public CPropertyPage {
    Q_OBJECT
public:
    CWizPage(CWizard& wizard, int nDialogId, const QString& strCaption);
    // The line that shows the servers' texts while the page is active, if it has one.
    virtual QLabel* StatusLine() const { return nullptr; }

protected:
    CORXBootConfig& Config() const;
    // A wrapped line of plain text, added to the layout.
    QLabel* AddText(QBoxLayout* pLayout, const QString& strText);
    // A text with the note icon before it.
    void AddNote(QBoxLayout* pLayout, const QString& strText);
    // The framed "STATUS:" line at the bottom of a page.
    QLabel* AddStatusLine(QBoxLayout* pLayout);

    CWizard& m_wizard;
};

class CWizIntro : public CWizPage {
    Q_OBJECT
public:
    explicit CWizIntro(CWizard& wizard);

protected:
    bool OnSetActive() override;

private:
    void OnAdvancedMode();
    QPushButton* m_pAdvanced;
};

class CWizFile : public CWizPage {
    Q_OBJECT
public:
    explicit CWizFile(CWizard& wizard);

protected:
    void OnInitDialog() override;
    bool OnSetActive() override;
    int OnWizardNext() override;

private:
    void AddBootFile();
    void UpdateWizardButtons();
    void OnSelectionChanged();
    void OnBrowse();
    void DropVanishedFiles();

    QListWidget* m_pList;
    QLabel* m_pProblem;  // why the selected file cannot be used
    QString m_strFile;   // the selected file
};

class CWizSelect : public CWizPage {
    Q_OBJECT
public:
    explicit CWizSelect(CWizard& wizard);

protected:
    void OnInitDialog() override;
    bool OnSetActive() override;
    int OnWizardNext() override;

private:
    void OnAllPorts(bool bAll);

    QRadioButton* m_pAllPorts;
    QRadioButton* m_pOnePort;
    QListWidget* m_pPorts;
    QCheckBox* m_pMonitorNet;
};

class CWizBoot : public CWizPage {
    Q_OBJECT
public:
    explicit CWizBoot(CWizard& wizard);

protected:
    bool OnSetActive() override;
    int OnWizardBack() override;
};

class CWizWait : public CWizPage {
    Q_OBJECT
public:
    explicit CWizWait(CWizard& wizard);
    QLabel* StatusLine() const override { return m_pStatus; }

protected:
    bool OnSetActive() override;
    int OnWizardBack() override;

private:
    QLabel* m_pStatus;
};

class CWizDownload : public CWizPage {
    Q_OBJECT
public:
    explicit CWizDownload(CWizard& wizard);
    QLabel* StatusLine() const override { return m_pStatus; }
    void ShowProgress(int nPercent);
    // The port (or "NET") and picture of the transfer that is first now.
    void ShowTransfer();

protected:
    bool OnSetActive() override;
    int OnWizardBack() override;

private:
    void UpdateEstimate();
    void NameProgress();

    QLabel* m_pText;
    QLabel* m_pEstimate;
    QLabel* m_pPort;
    QProgressBar* m_pProgress;
    QLabel* m_pStatus;
    QLabel* m_pPicture;
};

class CWizSuccess : public CWizPage {
    Q_OBJECT
public:
    explicit CWizSuccess(CWizard& wizard);

protected:
    bool OnSetActive() override;
    int OnWizardBack() override;
};
