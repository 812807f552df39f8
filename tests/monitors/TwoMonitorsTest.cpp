// Two monitors as Wine reports them when on-two-monitors.sh runs this
// program: a 1920x1200 primary at 0,0 and a 1280x1024 monitor left of it,
// at -1280,0. The installed program gives each its own picture; the main
// frame in this process picks them and names the primary's in the tooltip.
#include "app/MainFrame.h"
#include "app/SchedulerState.h"
#include "app/VistalsApp.h"
#include "framework/Lifetime.h"
#include "res/resource.h"
#include "settings/Settings.h"
#include "sets/ImageSetList.h"
#include "ui/OptionsSheet.h"
#include "support/ModalDriver.h"
#include "support/ProgramProcess.h"
#include "support/Registry.h"
#include "support/RegistrySandbox.h"
#include "support/SheetDriver.h"
#include "support/TestBitmaps.h"
#include "support/TestPaths.h"
#include "support/WallpaperChanges.h"
#include "wallpaper/CodecBinding.h"
#include "wallpaper/WallpaperWorker.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The program's application object, never started: the frame needs one.
CVistalsApp g_app;

const COLORREF kRed = RGB(200, 40, 40), kBlue = RGB(40, 40, 200), kGreen = RGB(40, 180, 40),
               kYellow = RGB(220, 200, 40), kBlack = RGB(0, 0, 0);

std::string WallpaperPath() { return DistDir() + "\\vistals.bmp"; }

bool Near(COLORREF a, COLORREF b) { return ColorsNear(a, b, 2); }

void ExpectTheRecipesMonitors() {
    ASSERT_EQ(2, GetSystemMetrics(SM_CMONITORS)) << "run by on-two-monitors.sh";
    ASSERT_EQ(-1280, GetSystemMetrics(SM_XVIRTUALSCREEN));
    ASSERT_EQ(3200, GetSystemMetrics(SM_CXVIRTUALSCREEN));
    ASSERT_EQ(1200, GetSystemMetrics(SM_CYVIRTUALSCREEN));
}

// A screen area and what it must show.
struct Region {
    RECT screen;
    COLORREF color;
};

// Every 16th screen point of each region (6 pixels in from its edges),
// looked up where Windows takes it from: tiled, the bitmap repeats from the
// primary's top-left corner; spanned, it lies over the rectangle around both
// monitors, which begins at -1280,0.
void ExpectShown(const BmpPixels& file, bool spanned, const std::vector<Region>& regions, const RECT& skip) {
    for (const Region& region : regions) {
        for (LONG y = region.screen.top + 6; y < region.screen.bottom - 6; y += 16) {
            for (LONG x = region.screen.left + 6; x < region.screen.right - 6; x += 16) {
                if (PtInRect(&skip, {x, y})) continue;
                const LONG fileX = spanned ? x + 1280 : (x + 3200) % 3200;
                const COLORREF shown = file.At(fileX, y);
                if (!Near(shown, region.color)) {
                    ADD_FAILURE() << "screen point " << x << "," << y << " shows " << std::hex << shown
                                  << " instead of " << region.color;
                    return;
                }
            }
        }
    }
}

class TwoMonitors : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(ExpectTheRecipesMonitors());
        DeleteFileA(WallpaperPath().c_str());
        RegDeleteKeyValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "Wallpaper");
        folder_ = MakeTempFolder("two-monitors");
        primary_ = folder_ + "\\primary.bmp";
        left_ = folder_ + "\\left.bmp";
        ASSERT_TRUE(WriteBmp(primary_, 1600, 1000, [](int x, int) { return x < 800 ? kRed : kBlue; }));
        ASSERT_TRUE(WriteBmp(left_, 800, 600, [](int x, int) { return x < 400 ? kGreen : kYellow; }));
        // The defaults (Fit Desktop, a picture at start, a picture for
        // each screen) with the calendar in the lower right, opaque.
        Settings = SettingsRecord();
        Settings.CalendarPosition = 5;
        Settings.CalendarTransparentBackground = 0;
        ASSERT_TRUE(SaveSettings());
        RegDeleteKeyValueA(HKEY_CURRENT_USER, kProgramKey, "VistalPerScreen");
        Settings = SettingsRecord();
    }

    // Waits for the program's first wallpaper: registered, and whole.
    static bool WaitForWallpaper() {
        return WaitUntil([] {
            return DesktopValue("Wallpaper") == WallpaperPath() && IsCompleteBmp(WallpaperPath(), nullptr);
        }, 30000);
    }

public:
    // The primary's two halves, the left monitor's two halves, and black
    // below the shorter left monitor, where no monitor is.
    static std::vector<Region> Expected() {
        return {{{0, 0, 960, 1200}, kRed},       {{960, 0, 1920, 1200}, kBlue},
                {{-1280, 0, -640, 1024}, kGreen}, {{-640, 0, 0, 1024}, kYellow},
                {{-1280, 1024, 0, 1200}, kBlack}};
    }

protected:
    RegistrySandbox sandbox_;
    std::string folder_, primary_, left_;
};

// Lower right of the 1920x1200 primary, 150x125 with margins of 30.
const RECT kCalendar = {1740, 1045, 1890, 1170};

// The wallpaper registered spanned or tiled from the primary, one bitmap of
// 3200x1200 over both monitors, each showing its picture; loaded into `file`.
void ExpectBothMonitorsShown(bool spanned, BmpPixels& file) {
    EXPECT_EQ(spanned ? "22" : "0", DesktopValue("WallpaperStyle"));
    EXPECT_EQ(spanned ? "0" : "1", DesktopValue("TileWallpaper"));
    ASSERT_TRUE(file.Load(WallpaperPath()));
    ASSERT_EQ(3200, file.Width());
    ASSERT_EQ(1200, file.Height());
    ExpectShown(file, spanned, TwoMonitors::Expected(), kCalendar);
}

}  // namespace

TEST_F(TwoMonitors, EachShowsItsOwnPictureTheCalendarIsOnThePrimaryAndADisplayChangeComposesThemAgain) {
    ProgramProcess program;
    ASSERT_TRUE(program.Start({primary_, left_}));
    HWND frame = program.WaitForFrame();
    ASSERT_NE(nullptr, frame);
    ASSERT_TRUE(WaitForWallpaper());

    // This prefix reports Windows 7: tiled from the primary's corner.
    BmpPixels file;
    ASSERT_NO_FATAL_FAILURE(ExpectBothMonitorsShown(false, file));
    int calendar = 0;
    for (LONG y = kCalendar.top; y < kCalendar.bottom; y += 3)
        for (LONG x = kCalendar.left; x < kCalendar.right; x += 3) calendar += !Near(file.At(x, y), kBlue);
    EXPECT_GT(calendar, 300) << "no calendar on the primary";

    // Monitors rearranged (simulated: Xephyr keeps its heads): the same
    // pictures are composed again, once the burst is over.
    const std::string before = ReadFileBytes(WallpaperPath());
    ASSERT_TRUE(DeleteFileA(WallpaperPath().c_str()));
    for (int i = 0; i < 3; ++i) PostMessageA(frame, WM_DISPLAYCHANGE, 32, MAKELPARAM(1920, 1200));
    ASSERT_TRUE(WaitUntil([] { return IsCompleteBmp(WallpaperPath(), nullptr); }, 30000));
    EXPECT_TRUE(before == ReadFileBytes(WallpaperPath())) << "not the same pictures";
    EXPECT_TRUE(program.Exit());
}

TEST_F(TwoMonitors, OnWindows10TheBitmapIsSpannedAndInPhysicalPixelsAtAHigherDpi) {
    // Read by each program as it starts: Windows 10, and 150% scaling, at
    // which a program unaware of DPI would see 2133x800.
    RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Wine", "Version", REG_SZ, "win10", 6);
    const DWORD dpi = 144;
    RegSetKeyValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "LogPixels", REG_DWORD, &dpi, sizeof dpi);
    ScopeExit restore([] {
        RegDeleteKeyValueA(HKEY_CURRENT_USER, "Software\\Wine", "Version");
        RegDeleteKeyValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "LogPixels");
    });

    ProgramProcess program;
    ASSERT_TRUE(program.Start({primary_, left_}));
    ASSERT_TRUE(WaitForWallpaper());
    BmpPixels file;
    ExpectBothMonitorsShown(true, file);
    EXPECT_TRUE(program.Exit());
}

// The main frame of this process, on the same two monitors.
TEST_F(TwoMonitors, AChangeTakesTheNextPictureForEachMonitorAndTheTooltipNamesThePrimarys) {
    g_app.InitApplication(GetModuleHandleA(nullptr));
    if (!TheImageLibrary) BindImageLibrary();
    ASSERT_NE(nullptr, TheImageLibrary);
    auto list = std::make_unique<CImageSetList>();
    auto set = std::make_unique<CImageSet>("set");
    const std::string third = folder_ + "\\third.bmp";
    ASSERT_TRUE(WriteSolidBmp(third, 300, 200, kBlack));
    for (const std::string& path : {primary_, left_, third}) set->AddEntry(std::make_unique<CImageEntry>(path.c_str()));
    list->AddSet(std::move(set));
    TheImageSetList = list.release();
    Settings.ShowFileName = 1;
    auto* frame = new CMainFrame;
    ASSERT_TRUE(frame->LoadFrame(IDR_MAINFRAME));
    ScopeExit end([&] {
        DrainChanges();
        frame->DestroyWindow();
        delete TheImageSetList;
        TheImageSetList = nullptr;
        Settings = SettingsRecord();
    });

    frame->SendMessage(WM_COMMAND, ID_DISPLAY_NEXT_VISTAL);
    EXPECT_EQ(1, DrainChanges());
    EXPECT_EQ((std::vector<std::string>{primary_, left_}), TheCompositionQueue.PicturesOnShow());
    EXPECT_STREQ("primary.bmp", CurrentVistalName);
    EXPECT_NE(nullptr, strstr(frame->m_trayIcon.NotifyRecord().szTip, "primary.bmp"));

    // With the option off, one picture as on a single screen.
    Settings.VistalPerScreen = 0;
    frame->SendMessage(WM_COMMAND, ID_DISPLAY_NEXT_VISTAL);
    EXPECT_EQ(1, DrainChanges());
    EXPECT_EQ((std::vector<std::string>{third}), TheCompositionQueue.PicturesOnShow());
    BmpPixels file;
    ASSERT_TRUE(file.Load(WallpaperOutputPath(AfxModuleFileName(nullptr).str())));
    EXPECT_EQ(1920, file.Width());
    EXPECT_EQ(1200, file.Height());
}

TEST_F(TwoMonitors, TheCalendarPreviewShowsThePrimarysPartOfTheWallpaper) {
    if (!TheImageLibrary) BindImageLibrary();
    ASSERT_NE(nullptr, TheImageLibrary);
    // A bitmap over both monitors as this Windows 7 lays it out: the
    // primary's part at the left, 1920 wide, the left monitor's after it.
    const std::string wallpaper = folder_ + "\\both.bmp";
    ASSERT_TRUE(WriteBmp(wallpaper, 3200, 1200, [](int x, int) { return x < 1920 ? kRed : kGreen; }));
    ASSERT_TRUE(SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(wallpaper.c_str()), 0));

    using namespace sheet_driver;
    COptionsSheet sheet("Options");
    DriveModal([&] { return sheet.DoModal(); }, "Options", [&](HWND window) {
        SelectPage(window, 3);
        HWND page = CurrentPage(window);
        const RECT preview = sheet.m_calendarPage.m_rcPreview;
        auto pixel = [&](int percent) {
            RedrawWindow(page, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
            ScopedGetDC dc(page);
            return GetPixel(dc.get(), preview.left + (preview.right - preview.left) * percent / 100,
                            (preview.top + preview.bottom) / 2);
        };
        EXPECT_TRUE(WaitUntil([&] { return Near(pixel(10), kRed); }, 3000)) << std::hex << pixel(10);
        EXPECT_TRUE(Near(pixel(90), kRed)) << "the other monitor's part is in the preview: " << std::hex << pixel(90);
        PressCancel(window);
    });
}
