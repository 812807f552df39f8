// The main frame's side of the tray: the icon, its tooltip, and the owner
// window's part in drawing and driving the owner-drawn tray menu.
#include "app/MainFrame.h"

#include "app/Messages.h"
#include "app/SchedulerState.h"
#include "settings/Settings.h"
#include "app/TooltipText.h"
#include "res/resource.h"

namespace {
const char kInitialTip[] = "Vistals";
// "Display Next &Vistal", run by a double click on the icon.
constexpr UINT kDefaultTrayItemPosition = 10;
}  // namespace

bool CMainFrame::CreateTrayIcon() {
    HICON icon = LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    if (!m_trayIcon.Create(nullptr, WM_TRAY_NOTIFY, kInitialTip, icon, IDR_TRAYMENU)) return false;
    m_trayIcon.SetDefaultMenuItem(kDefaultTrayItemPosition, true);
    return true;
}

bool CMainFrame::InstallTrayMenu() {
    SetFrameMenu(MenuHandle());  // the placeholder goes
    if (!m_trayMenu.LoadMenu(IDR_TRAYMENU)) return false;
    // The frame owns the menu from here on; its popups' objects stay with
    // m_trayMenu, which finds them for the owner-drawing messages.
    SetFrameMenu(MenuHandle(m_trayMenu.Detach()));
    return true;
}

void CMainFrame::UpdateTooltip() {
    m_trayIcon.SetTipText(ComposeTooltipText(Settings, VistalElapsedMinutes, VistalSetElapsedMinutes,
                                             CurrentVistalName));
}

// The only owner-drawn items this window sees are those of its menus.
void CMainFrame::OnMeasureItem(int id, LPMEASUREITEMSTRUCT measureItem) {
    if (!COwnerDrawMenu::MeasureMenuItem(measureItem)) CFrameWnd::OnMeasureItem(id, measureItem);
}

void CMainFrame::OnDrawItem(int id, LPDRAWITEMSTRUCT drawItem) {
    if (!COwnerDrawMenu::DrawMenuItem(drawItem)) CFrameWnd::OnDrawItem(id, drawItem);
}

COwnerDrawMenu* CMainFrame::FindOwnPopup(HMENU popup) {
    if (COwnerDrawMenu* shown = m_trayIcon.PopupMenu().FindPopup(popup)) return shown;
    return m_trayMenu.FindPopup(popup);
}

void CMainFrame::OnInitMenuPopup(HMENU popup, UINT index, BOOL isSystemMenu) {
    // The update handlers first: they may disable items the records must show.
    CFrameWnd::OnInitMenuPopup(popup, index, isSystemMenu);
    if (isSystemMenu) return;
    if (COwnerDrawMenu* menu = FindOwnPopup(popup)) menu->SyncItems();
}

LRESULT CMainFrame::OnMenuChar(UINT character, UINT flags, HMENU menu) {
    if (COwnerDrawMenu* popup = FindOwnPopup(menu)) return COwnerDrawMenu::FindShortcut(character, flags, popup);
    return CFrameWnd::OnMenuChar(character, flags, menu);
}
