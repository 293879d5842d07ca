#pragma once
#include "ui/PropertyPage.h"

class CMainSheet;

// Until the wizard's own pages exist: one page that leads back to the advanced mode.
class CWizPlaceholder : public CPropertyPage {
    Q_OBJECT
public:
    explicit CWizPlaceholder(CMainSheet& sheet);

protected:
    bool OnSetActive() override;
};
