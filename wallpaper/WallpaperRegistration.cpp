#include "WallpaperRegistration.h"

#include "framework/RegKey.h"
#include "settings/Settings.h"

namespace {

// "Wallpaper", "WallpaperStyle" and "TileWallpaper", in this order, then
// the wallpaper is applied; 0 when a value cannot be written.
BOOL WriteAndApply(const char* path, const char* style, const char* tile) {
    RegKey desktop;
    if (!desktop.Open(HKEY_CURRENT_USER, "Control Panel\\Desktop", KEY_SET_VALUE)) return 0;
    if (!desktop.SetString("Wallpaper", path) || !desktop.SetString("WallpaperStyle", style) ||
        !desktop.SetString("TileWallpaper", tile))
        return 0;
    desktop.reset();
    return SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(path),
                                 SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE);
}

}  // namespace

const char* TileWallpaperText(int32_t vistalPosition) {
    switch (vistalPosition) {
        case POSITION_TILED: return "1";
        case POSITION_CENTERED:
        case POSITION_FIT_DESKTOP:
        case POSITION_MAXIMUM_FIT: return "0";
        default: return "";
    }
}

BOOL RegisterWallpaper(const char* path, int32_t vistalPosition) {
    // The file is already at its final size: Windows shows it unscaled,
    // centred or repeated.
    return WriteAndApply(path, "0", TileWallpaperText(vistalPosition));
}

BOOL RegisterWallpaper(const char* path) {
    return RegisterWallpaper(path, Settings.VistalPosition);
}

BOOL RegisterCanvasWallpaper(const char* path, CanvasStyle style) {
    // "22" is the span style; "0" with tiling repeats the file unscaled.
    if (style == CanvasStyle::Spanned) return WriteAndApply(path, "22", "0");
    return WriteAndApply(path, "0", "1");
}
