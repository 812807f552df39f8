// Makes a bitmap file the desktop wallpaper.
#pragma once

#include "wallpaper/ScreenCanvas.h"

#include <windows.h>

#include <stdint.h>

// The "TileWallpaper" text for a "VistalPosition": "1" for Tiled, "0" for
// the other known positions, empty for any other value.
const char* TileWallpaperText(int32_t vistalPosition);

// Records `path` as the wallpaper under HKCU\Control Panel\Desktop
// ("Wallpaper", then "WallpaperStyle" "0", then "TileWallpaper" by
// `vistalPosition`) and applies it. Non-zero when Windows took it; 0 when a
// registry step failed (then nothing is applied).
BOOL RegisterWallpaper(const char* path, int32_t vistalPosition);
// The same with the position of the current settings.
BOOL RegisterWallpaper(const char* path);

// Records a bitmap that covers every monitor (laid out for `style`) as the
// wallpaper, in the same three values and order, and applies it: spanned is
// "WallpaperStyle" "22" with "TileWallpaper" "0", tiled from the primary is
// "0" with "1".
BOOL RegisterCanvasWallpaper(const char* path, CanvasStyle style);
