// A borderless window showing one bitmap resource 1:1, centred on the
// screen, with the picture's own palette on palette displays.
#pragma once

#include "Dib.h"

class CSplashWindow : public CWnd {
    DECLARE_MESSAGE_MAP()
public:
    explicit CSplashWindow(UINT bitmapId) : bitmapId_(bitmapId) {}

    // Owner: `owner`, else the application's main window. False when the
    // bitmap or the window cannot be made.
    virtual BOOL Create(CWnd* owner, DWORD style, DWORD exStyle);

protected:
    void OnPaint();
    // Called after the picture is painted; nothing to add here.
    virtual void OnDrawPicture(HDC, const RECT&) {}

private:
    LRESULT OnQueryNewPalette(WPARAM, LPARAM);
    LRESULT OnPaletteChanged(WPARAM changer, LPARAM);
    // Realises the picture's palette in a client context; true when any
    // entry changed (the window is then repainted).
    bool RealizePicturePalette(bool background);

    UINT bitmapId_;
    HWND owner_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    CDib picture_;
    HPALETTE palette_ = nullptr;  // the picture's, or none
};
