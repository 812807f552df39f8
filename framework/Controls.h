// Thin wrappers of the common controls that dialogs bind with DDX_Control:
// they only look at their controls (never subclass or destroy them), hold no
// state of their own, and make each call one message to the control.
#pragma once

#include "Wnd.h"

#include <commctrl.h>

#include <cassert>

class CComboBox : public CWnd {
public:
    void ResetContent() { SendMessage(CB_RESETCONTENT); }
    int AddString(const char* text) {
        return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
    }
    int GetCurSel() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
    int SetCurSel(int index) { return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(index))); }
    int GetCount() const { return static_cast<int>(SendMessage(CB_GETCOUNT)); }
};

class CSpinButtonCtrl : public CWnd {
public:
    // The position is a 16-bit value: only the low 16 bits of `position` count.
    int SetPos(int position) {
        return static_cast<int>(SendMessage(UDM_SETPOS, 0, MAKELPARAM(position, 0)));
    }
    void SetRange(short lower, short upper) { SendMessage(UDM_SETRANGE, 0, MAKELPARAM(upper, lower)); }
};
