#include "Gdi.h"

#include <cassert>

void CDC::FillSolidRect(const RECT& rect, COLORREF colour) {
    assert(m_hDC);
    // An opaque empty text run fills with the background colour, no brush needed.
    const COLORREF old = SetBkColor(m_hDC, colour);
    ExtTextOutA(m_hDC, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    SetBkColor(m_hDC, old);
}

void CDC::FrameRect(const RECT& rect, COLORREF colour) {
    assert(m_hDC);
    BrushHandle brush(CreateSolidBrush(colour));
    if (brush) ::FrameRect(m_hDC, &rect, brush.get());
}

BOOL CDC::DrawEdge(RECT* rect, UINT edge, UINT flags) {
    assert(m_hDC);
    return ::DrawEdge(m_hDC, rect, edge, flags);
}

int CDC::DrawText(const char* text, int length, RECT* rect, UINT format) {
    assert(m_hDC);
    return ::DrawTextA(m_hDC, text, length, rect, format);
}

int CDC::DrawText(const wchar_t* text, int length, RECT* rect, UINT format) {
    assert(m_hDC);
    return ::DrawTextW(m_hDC, text, length, rect, format);
}

COLORREF CDC::SetTextColor(COLORREF colour) {
    assert(m_hDC);
    return ::SetTextColor(m_hDC, colour);
}

int CDC::SetBkMode(int mode) {
    assert(m_hDC);
    return ::SetBkMode(m_hDC, mode);
}

int CDC::GetDeviceCaps(int index) const {
    assert(m_hDC);
    return ::GetDeviceCaps(m_hDC, index);
}

BOOL CDC::BitBlt(int x, int y, int width, int height, HDC source, int sourceX, int sourceY, DWORD rop) {
    assert(m_hDC);
    return ::BitBlt(m_hDC, x, y, width, height, source, sourceX, sourceY, rop);
}

CMemoryDC::CMemoryDC(HDC reference, int width, int height) : CDC(nullptr) {
    MemoryDCHandle dc(CreateCompatibleDC(reference));
    if (!dc) return;
    // A zero-sized request still gets a real bitmap, so drawing stays harmless.
    BitmapHandle bitmap(CreateCompatibleBitmap(reference, width > 0 ? width : 1, height > 0 ? height : 1));
    if (!bitmap) return;
    oldBitmap_ = SelectObject(dc.get(), bitmap.get());
    dc_ = std::move(dc);
    bitmap_ = std::move(bitmap);
    m_hDC = dc_.get();
}

CMemoryDC::~CMemoryDC() {
    if (dc_ && oldBitmap_) SelectObject(dc_.get(), oldBitmap_);
}

void ReleaseCachedScreenBuffers() noexcept {
    // More than the cache holds after a dialog with many controls has painted;
    // beyond the cache the system makes new ones or refuses.
    HDC dcs[32];
    for (HDC& dc : dcs) dc = GetDCEx(nullptr, nullptr, DCX_CACHE);
    for (HDC dc : dcs)
        if (dc) ReleaseDC(nullptr, dc);
}
