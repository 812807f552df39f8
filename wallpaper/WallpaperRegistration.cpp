#include "WallpaperRegistration.h"

#include "framework/RegKey.h"
#include "settings/Settings.h"

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
    RegKey desktop;
    if (!desktop.Open(HKEY_CURRENT_USER, "Control Panel\\Desktop", KEY_SET_VALUE)) return 0;
    // The file is already at its final size: Windows shows it unscaled,
    // centred or repeated.
    if (!desktop.SetString("Wallpaper", path) || !desktop.SetString("WallpaperStyle", "0") ||
        !desktop.SetString("TileWallpaper", TileWallpaperText(vistalPosition)))
        return 0;
    desktop.reset();
    return SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(path),
                                 SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE);
}

BOOL RegisterWallpaper(const char* path) {
    return RegisterWallpaper(path, Settings.VistalPosition);
}
