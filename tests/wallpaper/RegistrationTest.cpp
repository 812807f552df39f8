// The desktop's wallpaper values and the applied wallpaper.
#include "settings/Settings.h"
#include "support/Registry.h"
#include "wallpaper/WallpaperRegistration.h"

#include <gtest/gtest.h>

#include <string>

TEST(RegisterWallpaper, WritesTheThreeValuesForEachPositionAndApplies) {
    const char* path = "C:\\windows\\vistals-test.bmp";
    const struct { int32_t position; const char* tile; } cases[] = {
        {0, "0"}, {1, "1"}, {2, "0"}, {3, "0"}, {9, ""}, {-1, ""}};  // only Tiled (1) tiles
    for (const auto& c : cases) {
        RegDeleteKeyValueA(HKEY_CURRENT_USER, kDesktopKey, "TileWallpaper");
        EXPECT_NE(0, RegisterWallpaper(path, c.position)) << c.position;
        EXPECT_EQ(path, DesktopValue("Wallpaper"));
        EXPECT_EQ("0", DesktopValue("WallpaperStyle"));
        EXPECT_EQ(c.tile, DesktopValue("TileWallpaper")) << c.position;
        char applied[MAX_PATH] = {};
        ASSERT_TRUE(SystemParametersInfoA(SPI_GETDESKWALLPAPER, MAX_PATH, applied, 0));
        EXPECT_STREQ(path, applied);
    }
}

TEST(RegisterWallpaper, UsesTheCurrentSettingsByDefault) {
    Settings.VistalPosition = 1;  // Tiled
    RegisterWallpaper("C:\\windows\\tiled.bmp");
    EXPECT_EQ("1", DesktopValue("TileWallpaper"));
    Settings = SettingsRecord();
}
