// The application object: single-instance check, start-up and shutdown.
#pragma once

#include "framework/Afx.h"

class CVistalsApp : public CWinApp {
    DECLARE_MESSAGE_MAP()
public:
    CVistalsApp() = default;

    BOOL InitInstance() override;
    int ExitInstance() override;
    void WinHelp(DWORD_PTR data, UINT command = HELP_CONTEXT) override;

private:
    bool CreateMainFrame();
    void PostFirstChange();
    void ShowAboutBox();

    // The named event that marks the running instance.
    KernelHandle instanceEvent_;
    // Set once the settings were loaded; only then are they saved at exit.
    bool settingsLoaded_ = false;
};
