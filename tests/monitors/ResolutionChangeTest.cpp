// One screen whose resolution changes (run by on-screen-of-depth.sh, whose
// virtual desktop Wine resizes as a real display would change): the
// installed program composes its picture again at the new size.
#include "framework/Lifetime.h"
#include "support/ProgramProcess.h"
#include "support/Registry.h"
#include "support/RegistrySandbox.h"
#include "support/TestBitmaps.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <string>

namespace {

bool SetResolution(DWORD width, DWORD height) {
    DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    mode.dmPelsWidth = width;
    mode.dmPelsHeight = height;
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    return ChangeDisplaySettingsExA(nullptr, &mode, nullptr, 0, nullptr) == DISP_CHANGE_SUCCESSFUL;
}

// Waits until the wallpaper file is whole and of the given size.
bool WaitForWallpaperOfSize(const std::string& path, int width, int height) {
    return WaitUntil([&] {
        BmpPixels file;
        return IsCompleteBmp(path, nullptr) && file.Load(path) && file.Width() == width && file.Height() == height;
    }, 30000);
}

}  // namespace

TEST(ResolutionChange, TheWallpaperIsComposedAgainAtTheNewSize) {
    RegistrySandbox sandbox;
    const std::string wallpaper = DistDir() + "\\vistals.bmp";
    DeleteFileA(wallpaper.c_str());
    const std::string picture = MakeTempFolder("resolution") + "\\solid.bmp";
    ASSERT_TRUE(WriteSolidBmp(picture, 640, 480, RGB(30, 120, 200)));

    ProgramProcess program;
    ASSERT_TRUE(program.Start({picture}));
    ASSERT_TRUE(WaitForWallpaperOfSize(wallpaper, 1024, 768));  // Fit Desktop: the screen's size

    ScopeExit restore([] { ChangeDisplaySettingsExA(nullptr, nullptr, nullptr, 0, nullptr); });
    ASSERT_TRUE(SetResolution(800, 600));
    EXPECT_TRUE(WaitForWallpaperOfSize(wallpaper, 800, 600));
    EXPECT_EQ(wallpaper, DesktopValue("Wallpaper"));
    EXPECT_EQ("0", DesktopValue("WallpaperStyle"));  // one screen: as it always was
    EXPECT_EQ("0", DesktopValue("TileWallpaper"));

    ASSERT_TRUE(SetResolution(1024, 768));
    EXPECT_TRUE(WaitForWallpaperOfSize(wallpaper, 1024, 768));
    EXPECT_TRUE(program.Exit());
}
