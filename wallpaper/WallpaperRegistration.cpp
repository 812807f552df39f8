#include "WallpaperRegistration.h"

#include "settings/Settings.h"
#include "framework/Handle.h"

#include <cstring>

namespace {

bool WriteText(HKEY key, const char* name, const char* text) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                          static_cast<DWORD>(std::strlen(text) + 1)) == ERROR_SUCCESS;
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
    RegKey desktop;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_ALL_ACCESS, desktop.put()) !=
        ERROR_SUCCESS)
        return 0;
    // The file is already at its final size: Windows shows it unscaled,
    // centred or repeated.
    if (!WriteText(desktop.get(), "Wallpaper", path) || !WriteText(desktop.get(), "WallpaperStyle", "0") ||
        !WriteText(desktop.get(), "TileWallpaper", TileWallpaperText(vistalPosition)))
        return 0;
    desktop.reset();
    return SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(path),
                                 SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE);
}

BOOL RegisterWallpaper(const char* path) {
    return RegisterWallpaper(path, Settings.VistalPosition);
}
