// Makes a bitmap file the desktop wallpaper.
#pragma once

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
