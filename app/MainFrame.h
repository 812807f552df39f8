// The hidden main frame: owner of the tray icon and the tray menu, the
// change scheduler, and the target of every tray command.
#pragma once

#include "framework/Afx.h"

class CMainFrame : public CFrameWnd {
    DECLARE_DYNAMIC(CMainFrame)
    DECLARE_MESSAGE_MAP()
public:
    CMainFrame();
    ~CMainFrame() override;

    void WinHelp(DWORD_PTR data, UINT command = HELP_CONTEXT) override;

protected:
    int OnCreate(LPCREATESTRUCT create);
    LRESULT OnWallpaperApplied(WPARAM wParam, LPARAM lParam);
};

// The one main frame of the process; null before it exists and after it is gone.
extern CMainFrame* TheMainFrame;
