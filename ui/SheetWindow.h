#pragma once
#include <memory>

#include "base/BootEvents.h"

class CModalSheet;
class CServerControl;
struct CSheetServices;

// A main window as the face drives it: the advanced sheet or the wizard.
class ISheetWindow {
public:
    virtual ~ISheetWindow() = default;
    virtual CModalSheet& Window() = 0;
    // Its start, stop and ends (the close request, a signal).
    virtual CServerControl& Control() = 0;
    // What the engine reports, on the UI thread in posting order.
    virtual void OnBootEvent(const CBootEvent& event) = 0;
};

// The kind WIZARDMODE names; nStartPage is the advanced sheet's.
std::unique_ptr<ISheetWindow> MakeSheetWindow(const CSheetServices& services, int nStartPage);
