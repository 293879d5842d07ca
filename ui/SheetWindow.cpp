#include "ui/SheetWindow.h"

#include "app/ORXBootApp.h"
#include "ui/MainSheet.h"
#include "ui/Wizard.h"

std::unique_ptr<ISheetWindow> MakeSheetWindow(const CSheetServices& services, int nStartPage) {
    if (services.app.Config().m_bWizardMode) return std::make_unique<CWizard>(services);
    return std::make_unique<CMainSheet>(services, nStartPage);
}
