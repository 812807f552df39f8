#include "ui/SplashWindow.h"

#include "framework/Gdi.h"


BEGIN_MESSAGE_MAP(CSplashWindow, CWnd)
    ON_WM_PAINT()
    ON_MESSAGE(WM_QUERYNEWPALETTE, OnQueryNewPalette)
    ON_MESSAGE(WM_PALETTECHANGED, OnPaletteChanged)
END_MESSAGE_MAP()

BOOL CSplashWindow::Create(CWnd* owner, DWORD style, DWORD exStyle) {
    if (!owner) owner = AfxGetMainWnd();
    owner_ = owner ? owner->m_hWnd : nullptr;

    BitmapHandle bitmap(static_cast<HBITMAP>(LoadImageA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(bitmapId_),
                                                        IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    BITMAP size{};
    if (!bitmap || !GetObjectA(bitmap.get(), sizeof size, &size)) return FALSE;
    width_ = size.bmWidth;
    height_ = size.bmHeight;

    // A tool window would keep the box out of the taskbar's reach.
    exStyle &= ~static_cast<DWORD>(WS_EX_TOOLWINDOW);
    const char* className = AfxRegisterWndClass(CS_CLASSDC);
    if (!className) return FALSE;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width_) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height_) / 2;
    if (!CreateEx(exStyle, className, "", style, x, y, width_, height_, owner_, nullptr)) return FALSE;

    picture_.CreateFromBitmap(ScopedGetDC::WholeWindow(m_hWnd).get(), bitmap.get());
    bitmap.reset();
    palette_ = picture_.Palette();
    RealizePicturePalette(false);

    if (style & WS_VISIBLE) {
        ShowWindow(m_hWnd, SW_SHOW);
        UpdateWindow(m_hWnd);
    }
    // Some desktops stack a later window over a topmost one until asked again.
    if (exStyle & WS_EX_TOPMOST)
        SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return TRUE;
}

void CSplashWindow::OnPaint() {
    const ScopedPaint paint(m_hWnd);
    HDC dc = paint.get();
    {
        const ScopedSelectPalette select(dc, palette_, TRUE);
        if (palette_) RealizePalette(dc);
        if (const BITMAPINFO* header = picture_.Header()) {
            StretchDIBits(dc, 0, 0, picture_.Width(), picture_.Height(), 0, 0, picture_.Width(), picture_.Height(),
                          picture_.Bits(), header, DIB_RGB_COLORS, SRCCOPY);
        }
    }
    RECT client{};
    GetClientRect(m_hWnd, &client);
    OnDrawPicture(dc, client);
}

bool CSplashWindow::RealizePicturePalette(bool background) {
    if (!palette_) return false;
    const ScopedGetDC dc(m_hWnd);
    UINT changed = 0;
    {
        const ScopedSelectPalette select(dc.get(), palette_, background);
        changed = RealizePalette(dc.get());
    }
    if (changed != 0 && changed != GDI_ERROR) {
        InvalidateRect(m_hWnd, nullptr, TRUE);
        return true;
    }
    return false;
}

LRESULT CSplashWindow::OnQueryNewPalette(WPARAM, LPARAM) {
    return RealizePicturePalette(false);
}

LRESULT CSplashWindow::OnPaletteChanged(WPARAM changer, LPARAM) {
    HWND window = reinterpret_cast<HWND>(changer);
    if (window != m_hWnd && !IsChild(m_hWnd, window)) RealizePicturePalette(true);
    return 0;
}
