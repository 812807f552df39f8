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

    // What Exit and the end of the Windows session both do, once: the tray
    // icon goes, the sets and the settings are saved, the codec library is
    // unloaded unless a change still uses it. A running change may take
    // `workerWaitMs` to finish; it begins no file after this has begun.
    void ShutDown(DWORD workerWaitMs);

private:
    bool CreateMainFrame();
    void PostFirstChange();
    void ShowAboutBox();
    // Makes the pictures named on the command line the set list; FALSE when
    // they name none.
    BOOL LoadCommandLineSet();
    // The command-line set, else the stored sets; FALSE when out of memory.
    bool BuildImageSetList();

    // The named event that marks the running instance.
    KernelHandle instanceEvent_;
    // Set once the settings were loaded; only then are they saved at exit.
    bool settingsLoaded_ = false;
    bool shutDown_ = false;
};
