// Device contexts in the framework's style: CDC is a non-owning view with the
// drawing calls; CMemoryDC owns an off-screen surface.
#pragma once

#include "Handle.h"

#include <windows.h>

class CDC {
public:
    explicit CDC(HDC dc) noexcept : m_hDC(dc) {}
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC GetSafeHdc() const noexcept { return m_hDC; }

    void FillSolidRect(const RECT& rect, COLORREF colour);
    // A one-pixel frame just inside `rect`.
    void FrameRect(const RECT& rect, COLORREF colour);
    BOOL DrawEdge(RECT* rect, UINT edge, UINT flags);
    int DrawText(const char* text, int length, RECT* rect, UINT format);
    int DrawText(const wchar_t* text, int length, RECT* rect, UINT format);
    COLORREF SetTextColor(COLORREF colour);
    int SetBkMode(int mode);
    int GetDeviceCaps(int index) const;
    BOOL BitBlt(int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                DWORD rop = SRCCOPY);

protected:
    HDC m_hDC;
};

// Wine's cached device contexts keep the screen buffer of the last window
// they drew until they draw again, so a closed window would hold one as large
// as itself for the rest of the run. Taking each cached context for the
// screen lets the buffer go. Called in two places only: as a modal loop ends
// (ModalLoop) and as a top-level window of ours is destroyed (CWnd). Elsewhere
// it costs a few calls.
void ReleaseCachedScreenBuffers() noexcept;

// Saves the whole state of a device context (selected objects, colours,
// modes) and restores it at the end of the scope.
class ScopedSaveDC {
public:
    explicit ScopedSaveDC(HDC dc) noexcept : dc_(dc), saved_(SaveDC(dc)) {}
    ~ScopedSaveDC() { if (saved_) RestoreDC(dc_, saved_); }
    ScopedSaveDC(const ScopedSaveDC&) = delete;
    ScopedSaveDC& operator=(const ScopedSaveDC&) = delete;
private:
    HDC dc_;
    int saved_;
};

// An off-screen bitmap compatible with `reference`, selected into a memory
// device context of its own for as long as the object lives.
class CMemoryDC : public CDC {
public:
    CMemoryDC(HDC reference, int width, int height);
    ~CMemoryDC();

    // False when the context or the bitmap could not be made.
    explicit operator bool() const noexcept { return m_hDC != nullptr; }

private:
    MemoryDCHandle dc_;
    BitmapHandle bitmap_;
    HGDIOBJ oldBitmap_ = nullptr;
};
