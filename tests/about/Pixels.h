// What a window shows, or a bitmap holds, as 32-bit pixels read back.
#pragma once

#include <windows.h>

#include <vector>

class Pixels {
public:
    // Copies `width` x `height` pixels from `dc` at (x, y).
    static Pixels Copy(HDC dc, int x, int y, int width, int height);
    static Pixels OfWindow(HWND window);
    // A bitmap resource of the test program, as the system loads it.
    static Pixels OfBitmapResource(UINT id);

    int Width() const { return width_; }
    int Height() const { return height_; }
    COLORREF At(int x, int y) const;

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<DWORD> bgrx_;
};

// Lets the program's windows handle their messages for a while.
template <class Done>
bool PumpUntil(Done done, DWORD timeoutMs = 3000) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (done()) return true;
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(10);
    }
}
inline void Pump() { PumpUntil([] { return false; }, 100); }
