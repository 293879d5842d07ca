#pragma once
#include <QString>

#include "ui/PageContext.h"
#include "ui/PropertyPage.h"

class QCheckBox;
class QComboBox;

// The first advanced page: the transfer methods, the boot image file, About, wizard mode.
class CPropSelect : public CPropertyPage {
    Q_OBJECT
public:
    explicit CPropSelect(const CPageContext& ctx);

signals:
    void aboutRequested();
    void wizardModeRequested();

protected:
    void OnInitDialog() override;
    bool CanApply() override;
    bool OnApply() override;

private:
    void Browse();

    const CPageContext m_ctx;
    QCheckBox* m_pNet;
    QCheckBox* m_pSerial;
    QComboBox* m_pBootFile;
    QString m_strShown;  // the file as loaded or last applied
};
