#pragma once
#include "ui/PropertyPage.h"

class CMainSheet;

// The Ethernet settings: which units are answered, ARP clearing, the units' addresses.
class CPropNet : public CPropertyPage {
    Q_OBJECT
public:
    explicit CPropNet(CMainSheet& sheet);

protected:
    bool OnSetActive() override;

private:
    CMainSheet& m_sheet;
};
