#pragma once
#include <QString>

#include "ui/PageContext.h"
#include "ui/PropertyPage.h"

class QCheckBox;
class QComboBox;

// The serial settings: ports, baud rate, protocol, menu driving, and the terminal.
class CPropSerial : public CPropertyPage {
    Q_OBJECT
public:
    explicit CPropSerial(const CPageContext& ctx);

protected:
    void OnInitDialog() override;
    bool OnSetActive() override;
    bool OnApply() override;

private:
    void OpenTerminal();

    const CPageContext m_ctx;
    // As loaded from the settings; the controls hold them from the first show on.
    const QString m_strBaud;
    const int m_nProtocol;
    const QString m_strPort;
    const bool m_bAllPorts;
    const bool m_bAutoMenu;
    QCheckBox* m_pAllPorts;
    QComboBox* m_pPort;
    QComboBox* m_pBaud;
    QComboBox* m_pProtocol;
    QCheckBox* m_pAutoMenu;
};
