#pragma once
#include <QPointer>
#include <QString>
#include <optional>

#include "base/AddressSearchHandle.h"
#include "ui/PageContext.h"
#include "ui/PropertyPage.h"

class CIpAddressCtrl;
class QCheckBox;
class QComboBox;
class QEventLoop;
class QLabel;
class CAddressSearchDialog;
class QRadioButton;

// The Ethernet settings: which units are answered, ARP clearing, and the address a unit
// is given through its serial menu. A fixed address is tested when applied and moved to a
// free one when another machine answers on it.
class CPropNet : public CPropertyPage {
    Q_OBJECT
public:
    explicit CPropNet(const CPageContext& ctx);

protected:
    void OnInitDialog() override;
    bool OnSetActive() override;
    bool CanApply() override;
    bool OnApply() override;

private:
    void UpdateControls();
    bool EthernetUsable() const;
    bool UnitIpUsable() const;
    // Says why in a box and in the log, and puts the focus where it can be mended.
    void Refuse(const QString& strWhy, QWidget* pField);
    // The test of the address, with a cancellable dialog while echo requests wait.
    IAddressSearch::CResult TestAddress(uint32_t dwAddrNet);

    const CPageContext m_ctx;
    QLabel* m_stcMaskLabel;
    CIpAddressCtrl* m_ipMask;
    CIpAddressCtrl* m_ipAddress;
    QLabel* m_stcCacheNote;
    QCheckBox* m_btnClearCache;
    QString m_strUnitName;
    QComboBox* m_cmbUnitName;
    QLabel* m_stcUnitLabel;
    bool m_bClearCache;
    int m_nNodeType;
    bool m_bDhcp;
    QRadioButton* m_pAllUnits;
    QRadioButton* m_pOneUnit;
    QRadioButton* m_pDhcp;
    QRadioButton* m_pFixed;

    int m_nSearch = 0;  // results of an earlier, cancelled search are not this one's
    QPointer<CAddressSearchDialog> m_pSearchDialog;
    QPointer<QEventLoop> m_pSearchLoop;
    std::optional<IAddressSearch::CResult> m_searchResult;
};
