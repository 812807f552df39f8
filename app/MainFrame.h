// The hidden main frame: owner of the tray icon and the tray menu, the
// change scheduler, and the target of every tray command.
#pragma once

#include "framework/Afx.h"
#include "ui/OwnerDrawMenu.h"
#include "ui/TrayIcon.h"

class CMainFrame : public CFrameWnd {
    DECLARE_DYNAMIC(CMainFrame)
    DECLARE_MESSAGE_MAP()
public:
    CMainFrame();
    ~CMainFrame() override;

    void WinHelp(DWORD_PTR data, UINT command = HELP_CONTEXT) override;

    // Composes the tooltip from the settings and the scheduler state and
    // hands it to the tray icon.
    void UpdateTooltip();
    // Start-up: the tray menu, loaded owner-drawn, becomes the frame's menu,
    // so the frame's command routing and update handlers serve the popup.
    bool InstallTrayMenu();

    // Destroyed in reverse order: the menu first, then the tray icon.
    CTrayIcon m_trayIcon;
    COwnerDrawMenu m_trayMenu;

protected:
    int OnCreate(LPCREATESTRUCT create);
    LRESULT OnWallpaperApplied(WPARAM wParam, LPARAM lParam);

    // Tray (MainFrameTray.cpp).
    bool CreateTrayIcon();
    void OnMeasureItem(int id, LPMEASUREITEMSTRUCT measureItem);
    void OnDrawItem(int id, LPDRAWITEMSTRUCT drawItem);
    void OnInitMenuPopup(HMENU popup, UINT index, BOOL isSystemMenu);
    LRESULT OnMenuChar(UINT character, UINT flags, HMENU menu);
};

// The one main frame of the process; null before it exists and after it is gone.
extern CMainFrame* TheMainFrame;
