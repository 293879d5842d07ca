#pragma once
#include <QString>

#include "ui/PropertyPage.h"

class CMainSheet;
class QCheckBox;
class QComboBox;

// The first advanced page: the transfer methods, the boot image file, About, wizard mode.
class CPropSelect : public CPropertyPage {
    Q_OBJECT
public:
    explicit CPropSelect(CMainSheet& sheet);

    // The method choices as last clicked (the other pages follow these, not the settings).
    bool NetChoice() const { return m_nNet != 0; }
    bool SerialChoice() const { return m_nSerial != 0; }

protected:
    void OnInitDialog() override;
    bool CanApply() override;
    bool OnApply() override;

private:
    void UpdateControls();
    void Browse();

    CMainSheet& m_sheet;
    int m_nNet;
    int m_nSerial;
    QCheckBox* m_pNet;
    QCheckBox* m_pSerial;
    QComboBox* m_pBootFile;
    QString m_strShown;  // the file as loaded or last applied
};
