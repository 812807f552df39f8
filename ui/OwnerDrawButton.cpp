#include "OwnerDrawButton.h"


BEGIN_MESSAGE_MAP(COwnerDrawButton, CWnd)
    ON_MESSAGE(WM_GETDLGCODE, OnGetDlgCode)
    ON_MESSAGE(BM_SETSTYLE, OnSetStyle)
END_MESSAGE_MAP()

namespace {
DWORD OwnerDrawn(DWORD style) {
    return (style & ~static_cast<DWORD>(BS_TYPEMASK)) | BS_OWNERDRAW;
}
}  // namespace

BOOL COwnerDrawButton::Create(const char* caption, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    if (!parent || !parent->m_hWnd) return FALSE;
    HWND button = CreateWindowExA(0, "BUTTON", caption ? caption : "", OwnerDrawn(style), rect.left, rect.top,
                                  rect.right - rect.left, rect.bottom - rect.top, parent->m_hWnd,
                                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), AfxGetInstanceHandle(),
                                  nullptr);
    if (!button) return FALSE;
    if (!SubclassWindow(button)) {
        ::DestroyWindow(button);
        return FALSE;
    }
    return TRUE;
}

bool COwnerDrawButton::ReflectDrawItem(const DRAWITEMSTRUCT* item) {
    if (!item || item->CtlType != ODT_BUTTON) return false;
    auto* button = dynamic_cast<COwnerDrawButton*>(CWnd::FromHandlePermanent(item->hwndItem));
    if (!button) return false;
    button->DrawItem(*item);
    return true;
}

LRESULT COwnerDrawButton::OnSetStyle(WPARAM style, LPARAM redraw) {
    // The dialog manager marks default buttons this way; the button must
    // stay owner-drawn whatever it asks for.
    const DWORD before = static_cast<DWORD>(GetWindowLongPtrA(m_hWnd, GWL_STYLE));
    DefWindowProc(BM_SETSTYLE, OwnerDrawn(static_cast<DWORD>(style)), FALSE);
    const DWORD after = static_cast<DWORD>(GetWindowLongPtrA(m_hWnd, GWL_STYLE));
    if (after != before && redraw) InvalidateRect(m_hWnd, nullptr, TRUE);
    return 0;
}
