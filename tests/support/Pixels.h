// What a window shows, or a bitmap holds, as 32-bit pixels read back.
#pragma once

#include <windows.h>

#include <vector>

class Pixels {
public:
    // Copies `width` x `height` pixels from `dc` at (x, y).
    static Pixels Copy(HDC dc, int x, int y, int width, int height);
    // What `window` shows in `area` of its client (all of it when null).
    static Pixels OfWindow(HWND window, const RECT* area = nullptr);
    // A bitmap resource of the test program, as the system loads it.
    static Pixels OfBitmapResource(UINT id);

    int Width() const { return width_; }
    int Height() const { return height_; }
    COLORREF At(int x, int y) const;
    // How many pixels are of `colour`.
    int Count(COLORREF colour) const;

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<DWORD> bgrx_;
};
