// The main job end to end: the installed program changes the wallpaper.
#include "settings/Settings.h"
#include "support/DialogCatcher.h"
#include "support/ProgramProcess.h"
#include "support/Registry.h"
#include "support/RegistrySandbox.h"
#include "support/TestBitmaps.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string WallpaperPath() { return DistDir() + "\\vistals.bmp"; }

// Waits until the desktop names the program's wallpaper file and that
// shows `colour` at (x, y).
bool WaitForWallpaper(COLORREF colour, int x = 10, int y = 10) {
    return WaitUntil([&] {
        BmpPixels wallpaper;
        return DesktopValue("Wallpaper") == WallpaperPath() && wallpaper.Load(WallpaperPath()) &&
               wallpaper.At(x, y) == colour;
    });
}

class ChangeTest : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteFileA(WallpaperPath().c_str());
        RegDeleteKeyValueA(HKEY_CURRENT_USER, kDesktopKey, "Wallpaper");
        folder_ = MakeTempFolder("change");
        first_ = folder_ + "\\first.bmp";
        second_ = folder_ + "\\second.bmp";
        ASSERT_TRUE(WriteSolidBmp(first_, 640, 480, RGB(200, 40, 40)));
        ASSERT_TRUE(WriteSolidBmp(second_, 1024, 768, RGB(128, 128, 128)));
    }
    RegistrySandbox sandbox_;
    std::string folder_, first_, second_;
};

}  // namespace

TEST_F(ChangeTest, FirstPictureBecomesTheWallpaperAndCommandsChangeIt) {
    ProgramProcess program;
    ASSERT_TRUE(program.Start({first_, second_}));
    HWND frame = program.WaitForFrame();
    ASSERT_NE(nullptr, frame);
    ASSERT_TRUE(WaitForWallpaper(RGB(200, 40, 40), 512, 384));

    BmpPixels wallpaper;
    ASSERT_TRUE(wallpaper.Load(WallpaperPath()));
    EXPECT_EQ(1024, wallpaper.Width());  // Fit Desktop: the screen's size
    EXPECT_EQ(768, wallpaper.Height());
    EXPECT_EQ("0", DesktopValue("WallpaperStyle"));
    EXPECT_EQ("0", DesktopValue("TileWallpaper"));
    char applied[MAX_PATH] = {};
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETDESKWALLPAPER, MAX_PATH, applied, 0));
    EXPECT_EQ(WallpaperPath(), applied);

    PostMessageA(frame, WM_COMMAND, 32772, 0);  // Display Next Vistal
    EXPECT_TRUE(WaitForWallpaper(RGB(128, 128, 128)));
    PostMessageA(frame, WM_COMMAND, 32773, 0);  // Display Next Set: one set, so the next picture
    EXPECT_TRUE(WaitForWallpaper(RGB(200, 40, 40)));

    // No temporary file is left beside the wallpaper.
    const std::string folder = DistDir();
    WIN32_FIND_DATAA found{};
    FindHandle search(FindFirstFileA((folder + "\\*").c_str(), &found));
    ASSERT_TRUE(search);
    do EXPECT_NE(0, _strnicmp(found.cFileName, "vistals.bmp.", 12)) << "left behind: " << found.cFileName;
    while (FindNextFileA(search.get(), &found));
    EXPECT_TRUE(program.Exit());
}

TEST_F(ChangeTest, CalendarInTheLowerRight) {
    Settings = SettingsRecord();
    Settings.CalendarPosition = 5;
    Settings.CalendarTransparentBackground = 0;
    ASSERT_TRUE(SaveSettings());
    Settings = SettingsRecord();

    ProgramProcess program;
    ASSERT_TRUE(program.Start({second_}));
    ASSERT_TRUE(WaitForWallpaper(RGB(128, 128, 128)));
    EXPECT_TRUE(program.Exit());

    BmpPixels wallpaper;
    ASSERT_TRUE(wallpaper.Load(WallpaperPath()));
    const COLORREF gray = RGB(128, 128, 128);
    // The rectangle (844, 613)-(994, 738); outside it the picture is untouched.
    int changedInside = 0;
    for (int y = 613; y < 738; y += 4)
        for (int x = 844; x < 994; x += 4) changedInside += wallpaper.At(x, y) != gray;
    EXPECT_GT(changedInside, 100);
    for (int x : {0, 500, 830, 1010, 1023})
        for (int y : {0, 400, 600, 750, 767}) EXPECT_EQ(gray, wallpaper.At(x, y)) << x << "," << y;
}

TEST_F(ChangeTest, APictureThatCannotBeOpenedIsReportedWithItsPathAsCaption) {
    const std::string missing = folder_ + "\\missing.jpg";
    ProgramProcess program;
    ASSERT_TRUE(program.Start({missing}));
    DialogCatcher catcher(program.Id());
    ASSERT_TRUE(catcher.WaitFor(1));
    EXPECT_EQ(missing, catcher.Boxes()[0].caption);
    EXPECT_FALSE(catcher.Boxes()[0].text.empty());
    EXPECT_FALSE(DesktopValue("Wallpaper"));
    EXPECT_TRUE(program.Exit());
}
