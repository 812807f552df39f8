#include "Pixels.h"

#include "framework/Handle.h"

#include <cstring>

Pixels Pixels::Copy(HDC dc, int x, int y, int width, int height) {
    Pixels result;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    BitmapHandle section(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    MemoryDCHandle memory(CreateCompatibleDC(dc));
    if (!section || !memory) return result;
    {
        ScopedSelectObject select(memory.get(), section.get());
        if (!BitBlt(memory.get(), 0, 0, width, height, dc, x, y, SRCCOPY)) return result;
        GdiFlush();
    }
    result.width_ = width;
    result.height_ = height;
    result.bgrx_.resize(static_cast<size_t>(width) * height);
    std::memcpy(result.bgrx_.data(), bits, result.bgrx_.size() * sizeof(DWORD));
    return result;
}

Pixels Pixels::OfWindow(HWND window, const RECT* area) {
    RECT rect{};
    GetWindowRect(window, &rect);
    OffsetRect(&rect, -rect.left, -rect.top);
    if (area) rect = *area;
    ScopedGetDC dc(window);
    return Copy(dc.get(), rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

Pixels Pixels::OfBitmapResource(UINT id) {
    BitmapHandle bitmap(static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    BITMAP size{};
    if (!bitmap || !GetObjectA(bitmap.get(), sizeof size, &size)) return Pixels();
    ScopedGetDC screen(nullptr);
    MemoryDCHandle memory(CreateCompatibleDC(screen.get()));
    ScopedSelectObject select(memory.get(), bitmap.get());
    return Copy(memory.get(), 0, 0, size.bmWidth, size.bmHeight);
}

int Pixels::Count(COLORREF colour) const {
    int count = 0;
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) count += At(x, y) == colour;
    return count;
}

COLORREF Pixels::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
    const DWORD bgrx = bgrx_[static_cast<size_t>(y) * width_ + x];
    return RGB((bgrx >> 16) & 0xFF, (bgrx >> 8) & 0xFF, bgrx & 0xFF);
}
