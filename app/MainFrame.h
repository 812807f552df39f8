// The hidden main frame: owner of the tray icon and the tray menu, the
// change scheduler, and the target of every tray command.
#pragma once

#include "app/ChangeHistory.h"
#include "framework/Afx.h"
#include "sets/ImageSetList.h"
#include "ui/OwnerDrawMenu.h"
#include "ui/TrayIcon.h"
#include "wallpaper/WallpaperWorker.h"

#include <vector>

class CMainFrame : public CFrameWnd {
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

    // Changes to the next picture: after a step back, to the one that was
    // shown after it; otherwise to the next picture of the current set.
    void DisplayNextVistal();
    // Changes to the next set and shows its next picture.
    void DisplayNextSet();

    // Destroyed in reverse order: the menu first, then the tray icon.
    CTrayIcon m_trayIcon;
    COwnerDrawMenu m_trayMenu;

protected:
    int OnCreate(LPCREATESTRUCT create);
    void OnDestroy();
    // Log-off and shutdown: the program agrees, and saves everything before
    // it answers the announcement, after which it may be ended at any time.
    LRESULT OnQueryEndSession(WPARAM wParam, LPARAM lParam);
    LRESULT OnEndSession(WPARAM ending, LPARAM lParam);

    // The change scheduler and the tray commands (MainFrameCommands.cpp).
    void ArmChangeTimer();
    // Changes to the next pictures of the current set.
    void DisplayNewVistal();
    // Opens the pictures of `change` and hands them to the composition
    // worker; tells the user of one that cannot be opened.
    void ShowChange(ShownChange change);
    void OnTimer(UINT_PTR timerId);
    LRESULT OnWallpaperApplied(WPARAM wParam, LPARAM lParam);
    // A new resolution, depth or set of monitors: the pictures on show are
    // composed again once the display has settled.
    LRESULT OnDisplayChange(WPARAM bitsPerPixel, LPARAM size);
    void OnUpdateDisplayNextVistal(CCmdUI* ui);
    void OnUpdateDisplayNextSet(CCmdUI* ui);
    void OnOptions();
    void OnSelectImages();
    void OnWebSite();
    void OnTechSupport();
    void OnOrder();

    // The commands about the picture on show (MainFramePictures.cpp).
    void OnDisplayPreviousVistal();
    void OnUpdateDisplayPreviousVistal(CCmdUI* ui);
    void OnPauseChanges();
    void OnUpdatePauseChanges(CCmdUI* ui);
    void OnShowInFolder();
    void OnUpdateShowInFolder(CCmdUI* ui);
    void OnRemoveFromSet();
    void OnUpdateRemoveFromSet(CCmdUI* ui);
    // The path of the primary picture on show, or empty before the first.
    std::string PictureOnShow() const;
    // Where the picture on show is in the current set list, when it may be
    // removed from its set there (not from a list made for this run only).
    std::optional<PicturePlace> RemovablePictureOnShow() const;

    // Tray (MainFrameTray.cpp).
    bool CreateTrayIcon();
    void OnMeasureItem(int id, LPMEASUREITEMSTRUCT measureItem);
    void OnDrawItem(int id, LPDRAWITEMSTRUCT drawItem);
    void OnInitMenuPopup(HMENU popup, UINT index, BOOL isSystemMenu);
    LRESULT OnMenuChar(UINT character, UINT flags, HMENU menu);
    // The object of `popup` when it belongs to the tray popup being shown or
    // to the frame's own menu, else null.
    COwnerDrawMenu* FindOwnPopup(HMENU popup);

private:
    // The changes of this run; the one on show is "the picture on show".
    ChangeHistory m_history;
};

// The one main frame of the process; null before it exists and after it is gone.
extern CMainFrame* TheMainFrame;
