// A push button that draws itself: a system button window, taken over so
// that its style always stays owner-drawn. The parent hands its
// WM_DRAWITEM for the button to DrawItem (see ReflectDrawItem).
#pragma once

#include "framework/Afx.h"

class COwnerDrawButton : public CWnd {
    DECLARE_MESSAGE_MAP()
public:
    // Creates the button as a child of `parent`, BS_OWNERDRAW added.
    BOOL Create(const char* caption, DWORD style, const RECT& rect, CWnd* parent, UINT id);

    virtual void DrawItem(const DRAWITEMSTRUCT& item) = 0;

    // For a parent's WM_DRAWITEM: draws the item when it is one of these
    // buttons; false for anything else.
    static bool ReflectDrawItem(const DRAWITEMSTRUCT* item);

protected:
    LRESULT OnGetDlgCode(WPARAM, LPARAM) { return DLGC_BUTTON; }
    LRESULT OnSetStyle(WPARAM style, LPARAM redraw);
};
