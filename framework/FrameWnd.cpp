#include "FrameWnd.h"

#include "ModalLoop.h"
#include "WinApp.h"

namespace {
constexpr int kMaxCloseRounds = 8;
}

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_INITMENUPOPUP()
    ON_WM_CLOSE()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

BOOL CFrameWnd::LoadFrame(UINT resourceId, DWORD style, CWnd* parent) {
    HINSTANCE instance = AfxGetInstanceHandle();
    HICON icon = LoadIconA(instance, MAKEINTRESOURCEA(resourceId));
    const char* className = AfxRegisterWndClass(CS_DBLCLKS, LoadCursorA(nullptr, IDC_ARROW),
                                                reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), icon);
    if (!className) return FALSE;

    CString title;
    title.LoadString(resourceId);
    const int newline = title.Find("\n");
    if (newline >= 0) title = title.Left(newline);

    MenuHandle menu(LoadMenuA(instance, MAKEINTRESOURCEA(resourceId)));
    style &= ~static_cast<DWORD>(FWS_ADDTOTITLE);
    // A failed creation may already have deleted the frame (PostNcDestroy):
    // the menu goes on only once the window exists.
    if (!CreateEx(0, className, title, style, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                  CW_USEDEFAULT, parent ? parent->m_hWnd : nullptr, nullptr))
        return FALSE;
    SetFrameMenu(std::move(menu));
    return TRUE;
}

void CFrameWnd::SetFrameMenu(MenuHandle menu) {
    ::SetMenu(m_hWnd, menu.get());
    menu_ = std::move(menu);
}

BOOL CFrameWnd::OnCmdMsg(UINT id, int code, CCmdUI* ui) {
    if (CWnd::OnCmdMsg(id, code, ui)) return TRUE;
    CWinApp* app = AfxGetApp();
    return app && app->OnCmdMsg(id, code, ui);
}

BOOL CFrameWnd::HasCommandHandler(UINT id) const {
    if (CWnd::HasCommandHandler(id)) return TRUE;
    CWinApp* app = AfxGetApp();
    return app && app->HasCommandHandler(id);
}

int CFrameWnd::OnCreate(LPCREATESTRUCT) {
    return 0;
}

void CFrameWnd::OnInitMenuPopup(HMENU popup, UINT, BOOL isSystemMenu) {
    if (isSystemMenu || !popup) return;
    const int count = GetMenuItemCount(popup);
    for (int i = 0; i < count; ++i) {
        const UINT id = GetMenuItemID(popup, i);
        if (id == 0 || id == static_cast<UINT>(-1)) continue;  // separator or sub-menu
        CCmdUI ui;
        ui.m_nID = id;
        ui.m_nIndex = static_cast<UINT>(i);
        ui.m_hMenu = popup;
        ui.DoUpdate(this, true);
    }
}

void CFrameWnd::OnClose() {
    // A modal loop of ours beneath this handler still uses what the frame's
    // end releases (its owner window, the application's data). Its windows
    // are cancelled, and the close comes again behind the cancels. A window
    // may need a second cancel (the first ends a label edit); one that
    // refuses every cancel keeps the frame open.
    if (ModalLoop::CancelAll() > 0) {
        if (++closeRounds_ <= kMaxCloseRounds) PostMessage(WM_CLOSE);
        else closeRounds_ = 0;
        return;
    }
    closeRounds_ = 0;
    Default();
}

void CFrameWnd::OnDestroy() {
    SetFrameMenu(MenuHandle());
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this) {
        app->m_pMainWnd = nullptr;
        PostQuitMessage(0);
    }
    Default();
}
