#pragma once
// The face of the whole run, from start-up to exit, across sheets (see base/Views.h for
// the reports it shows meanwhile).
#include <string>

#include "base/Prompts.h"
#include "base/Views.h"

class IAppFront : public IStartupSearchView, public IUserPrompts {
public:
    // Shows the main sheet until it ends; IDRETRY after a mode switch, else IDOK/IDCANCEL.
    virtual int RunSheet() = 0;
    // A face without a sheet (headless) has no wizard whose settings must be forced.
    virtual bool HasSheet() const { return true; }
    // Closes the terminal window, which detaches its view (AttachTerminal(nullptr)).
    virtual void DestroyTerminal() {}
    // Shows the serial terminal, or brings it to the front (CORXBootApp::OpenTerminal).
    virtual void OpenTerminal() {}
    // Shows the History view, or brings it to the front (CORXBootApp::OpenHistory).
    virtual void OpenHistory() {}
    // The boot history cannot be kept; the text says where and why. Once per run.
    virtual void OnHistoryNotKept(const std::string& /*strText*/) {}
    virtual void SetWaitCursor(bool /*bOn*/) {}
    // A command-line argument that changed nothing, and why (one line, at start-up).
    virtual void OnArgumentRefused(const std::string& /*strWhy*/) {}
    // The settings could not be saved at the end of the run; the text says where and why.
    // Called once, after the last sheet has gone.
    virtual void OnSettingsNotSaved(const std::string& /*strText*/) {}
    // What main returns after ExitInstance.
    virtual int ExitCode() const { return 0; }
};
