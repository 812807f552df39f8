#include "MainFrame.h"

#include "app/Messages.h"
#include "app/StartupRules.h"
#include "res/resource.h"
#include "ui/HtmlHelp.h"

CMainFrame* TheMainFrame = nullptr;

IMPLEMENT_DYNAMIC(CMainFrame, CFrameWnd)

BEGIN_MESSAGE_MAP(CMainFrame, CFrameWnd)
    ON_WM_CREATE()
    ON_MESSAGE(WM_WALLPAPER_APPLIED, OnWallpaperApplied)
    ON_WM_MEASUREITEM()
    ON_WM_DRAWITEM()
    ON_WM_INITMENUPOPUP()
    ON_WM_MENUCHAR()
END_MESSAGE_MAP()

CMainFrame::CMainFrame() {
    TheMainFrame = this;
}

CMainFrame::~CMainFrame() {
    if (TheMainFrame == this) TheMainFrame = nullptr;
}

int CMainFrame::OnCreate(LPCREATESTRUCT create) {
    if (CFrameWnd::OnCreate(create) == -1) return -1;
    if (!CreateTrayIcon()) return -1;
    return 0;
}

LRESULT CMainFrame::OnWallpaperApplied(WPARAM, LPARAM) {
    UpdateTooltip();
    return 0;
}

void CMainFrame::WinHelp(DWORD_PTR data, UINT command) {
    const HelpCall call = RouteFrameHelp(data, command);
    if (call.call) HtmlHelpA(m_hWnd, AfxGetApp()->m_pszHelpFilePath, call.command, call.data);
}
