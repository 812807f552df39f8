#include "MainFrame.h"

#include "app/Messages.h"
#include "app/StartupRules.h"
#include "app/VistalsApp.h"
#include "res/resource.h"
#include "ui/HtmlHelp.h"
#include "wallpaper/WallpaperWorker.h"

namespace {
// How long exit waits for a wallpaper change that is still being composed.
const DWORD kWorkerShutdownTimeoutMs = 5000;
// The same at the session's end, well inside the few seconds Windows allows.
const DWORD kSessionEndWorkerWaitMs = 2000;
}  // namespace

CMainFrame* TheMainFrame = nullptr;


BEGIN_MESSAGE_MAP(CMainFrame, CFrameWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_MESSAGE(WM_QUERYENDSESSION, OnQueryEndSession)
    ON_MESSAGE(WM_ENDSESSION, OnEndSession)
    ON_MESSAGE(WM_WALLPAPER_APPLIED, OnWallpaperApplied)
    ON_MESSAGE(WM_DISPLAYCHANGE, OnDisplayChange)
    ON_COMMAND(ID_SELECT_IMAGES, OnSelectImages)
    ON_COMMAND(ID_OPTIONS, OnOptions)
    ON_COMMAND(ID_DISPLAY_NEXT_VISTAL, DisplayNextVistal)
    ON_UPDATE_COMMAND_UI(ID_DISPLAY_NEXT_VISTAL, OnUpdateDisplayNextVistal)
    ON_WM_TIMER()
    ON_COMMAND(ID_DISPLAY_NEXT_SET, DisplayNextSet)
    ON_UPDATE_COMMAND_UI(ID_DISPLAY_NEXT_SET, OnUpdateDisplayNextSet)
    ON_COMMAND(ID_TECH_SUPPORT, OnTechSupport)
    ON_COMMAND(ID_WEB_SITE, OnWebSite)
    ON_COMMAND(ID_ORDER, OnOrder)
    ON_COMMAND(ID_DISPLAY_PREVIOUS_VISTAL, OnDisplayPreviousVistal)
    ON_UPDATE_COMMAND_UI(ID_DISPLAY_PREVIOUS_VISTAL, OnUpdateDisplayPreviousVistal)
    ON_COMMAND(ID_PAUSE_CHANGES, OnPauseChanges)
    ON_UPDATE_COMMAND_UI(ID_PAUSE_CHANGES, OnUpdatePauseChanges)
    ON_COMMAND(ID_SHOW_IN_FOLDER, OnShowInFolder)
    ON_UPDATE_COMMAND_UI(ID_SHOW_IN_FOLDER, OnUpdateShowInFolder)
    ON_COMMAND(ID_REMOVE_FROM_SET, OnRemoveFromSet)
    ON_UPDATE_COMMAND_UI(ID_REMOVE_FROM_SET, OnUpdateRemoveFromSet)
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
    TheCompositionQueue.SetNotifyWindow(m_hWnd, WM_WALLPAPER_APPLIED);
    return 0;
}

void CMainFrame::OnDestroy() {
    // A change still in progress finishes before the window and, after it,
    // the codec library go away; its notice is no longer posted.
    TheCompositionQueue.Shutdown(kWorkerShutdownTimeoutMs);
    CFrameWnd::OnDestroy();
}

LRESULT CMainFrame::OnQueryEndSession(WPARAM, LPARAM) {
    return TRUE;
}

LRESULT CMainFrame::OnEndSession(WPARAM ending, LPARAM) {
    if (!ending) return 0;  // another program refused: the session goes on
    if (auto* app = dynamic_cast<CVistalsApp*>(AfxGetApp())) app->ShutDown(kSessionEndWorkerWaitMs);
    return 0;
}

void CMainFrame::WinHelp(DWORD_PTR data, UINT command) {
    const HelpCall call = RouteFrameHelp(data, command);
    if (call.call) HtmlHelpA(m_hWnd, AfxGetApp()->m_pszHelpFilePath, call.command, call.data);
}
