// The monitors as the system reports them now.
#pragma once

#include "wallpaper/ScreenCanvas.h"

#include <windows.h>

#include <vector>

// The monitors' rectangles in physical pixels (the program is aware of each
// monitor's DPI), the primary first and the others from left to right, then
// from top to bottom. Never empty: without an answer, the primary screen.
std::vector<RECT> CurrentMonitors();

// The style this Windows offers for one bitmap over several monitors:
// spanned from Windows 8 on, tiled from the primary before.
CanvasStyle CurrentCanvasStyle();

// The primary monitor's part of a wallpaper bitmap of `size`: the whole of
// it, unless it is the bitmap over the monitors there are now.
RECT PrimaryPartOfWallpaper(PixelSize size);
