#include "AboutBox.h"

#include "res/resource.h"

#include <memory>


BEGIN_MESSAGE_MAP(CAboutBox, CSplashWindow)
    ON_WM_PAINT()
    ON_WM_DRAWITEM()
    ON_MESSAGE(WM_SYSCOLORCHANGE, OnSysColorChange)
    ON_COMMAND(IDC_ORDER, OnOrder)
    ON_COMMAND(IDC_CONTINUE, OnContinue)
END_MESSAGE_MAP()

namespace {
const POINT kOrderButtonAt{94, 393};
const POINT kContinueButtonAt{219, 393};
}  // namespace

bool CAboutBox::Show(const char* versionText) {
    auto box = std::make_unique<CAboutBox>();
    box->SetVersionText(versionText);
    // Created visible: Create shows and paints it at once.
    if (!box->Create(nullptr, WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST)) return false;
    (void)box.release();  // its window owns it now
    return true;
}

CAboutBox::CAboutBox() : CSplashWindow(IDB_ABOUT) {}

BOOL CAboutBox::Create(CWnd* owner, DWORD style, DWORD exStyle) {
    if (!CSplashWindow::Create(owner, style, exStyle)) return FALSE;
    deleteWithWindow_ = true;
    // A button whose picture is missing is left out; the box still opens.
    CreateButton(order_, IDB_ORDER, IDC_ORDER, kOrderButtonAt);
    CreateButton(continue_, IDB_CONTINUE, IDC_CONTINUE, kContinueButtonAt);
    return TRUE;
}

bool CAboutBox::CreateButton(CPictureButton& button, UINT pictureId, UINT id, POINT at) {
    const RECT rect{at.x, at.y, at.x, at.y};  // sized to its picture below
    if (!button.Create(nullptr, WS_CHILD | WS_VISIBLE | WS_TABSTOP, CPictureButton::Alignment::PictureOnly,
                       pictureId, rect, this, id))
        return false;
    button.SizeToContent();
    return true;
}

void CAboutBox::OnPaint() {
    CSplashWindow::OnPaint();

    ScopedGetDC dc(m_hWnd);
    SetBkMode(dc.get(), TRANSPARENT);
    FontHandle font(CreateFontA(14, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_CHARACTER_PRECIS,
                                CLIP_CHARACTER_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Times Roman"));
    ScopedSelectObject select(dc.get(), font.get());
    const CString line = CString("Version ") + versionText_;
    TextOutA(dc.get(), kVersionPoint.x, kVersionPoint.y, line, line.GetLength());
}

void CAboutBox::OnDrawItem(int, LPDRAWITEMSTRUCT item) {
    COwnerDrawButton::ReflectDrawItem(item);
}

LRESULT CAboutBox::OnSysColorChange(WPARAM wParam, LPARAM lParam) {
    // Only top-level windows hear of it; the buttons redraw their faces.
    for (CPictureButton* button : {&order_, &continue_})
        if (button->m_hWnd) button->SendMessage(WM_SYSCOLORCHANGE, wParam, lParam);
    return 0;
}

void CAboutBox::OnOrder() {
    CWnd* main = AfxGetMainWnd();
    if (!main || !main->m_hWnd) return;
    main->SendMessage(WM_COMMAND, ID_ORDER, 0);
    PostMessage(WM_CLOSE);
}

void CAboutBox::OnContinue() {
    CWnd* main = AfxGetMainWnd();
    if (!main || !main->m_hWnd) return;
    PostMessage(WM_CLOSE);
}

void CAboutBox::PostNcDestroy() {
    if (deleteWithWindow_) delete this;
}
