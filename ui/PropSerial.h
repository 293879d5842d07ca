#pragma once
#include "ui/PropertyPage.h"

class CMainSheet;

// The serial settings: ports, baud rate, protocol, menu driving and the terminal.
class CPropSerial : public CPropertyPage {
    Q_OBJECT
public:
    explicit CPropSerial(CMainSheet& sheet);

protected:
    bool OnSetActive() override;

private:
    CMainSheet& m_sheet;
};
