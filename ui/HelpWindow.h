#pragma once
#include <QDialog>
#include <QString>

class QTextBrowser;

// A short help for the page shown: what it does, what each choice means, where the
// settings are kept, with the About box one button away. Not modal: it stays open beside
// the sheet and follows the page shown.
class CHelpWindow : public QDialog {
    Q_OBJECT
public:
    // strSettings: the settings file; strPlaces: where the windows' places are kept (empty:
    // nowhere).
    CHelpWindow(QWidget* pSheet, const QString& strSettings, const QString& strPlaces);
    // The help of the page with this dialog id.
    void ShowPage(int nDialogId);

private:
    QTextBrowser* m_pText;
    const QString m_strKept;  // the paragraph on where things are kept
};
