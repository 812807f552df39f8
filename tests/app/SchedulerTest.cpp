// The change scheduler of the main frame, driven tick by tick.
#include "app/MainFrame.h"
#include "app/Messages.h"
#include "app/SchedulerState.h"
#include "settings/Settings.h"
#include "app/VistalsApp.h"
#include "res/resource.h"
#include "sets/ImageSetList.h"
#include "support/DialogCatcher.h"
#include "support/ModalDriver.h"
#include "support/Registry.h"
#include "support/RegistrySandbox.h"
#include "support/SheetDriver.h"
#include "support/StoredSettings.h"
#include "support/TestBitmaps.h"
#include "support/TestPaths.h"
#include "support/WaitUntil.h"
#include "support/WallpaperChanges.h"
#include "support/WindowFinder.h"
#include "wallpaper/CodecBinding.h"
#include "wallpaper/Composition.h"
#include "wallpaper/WallpaperWorker.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

std::string WallpaperOutputPathForTests() {
    return WallpaperOutputPath(AfxModuleFileName(nullptr).str());
}

// The program's own application object, never started: its command map
// serves the menu's application items.
CVistalsApp g_app;

class SchedulerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        g_app.InitApplication(GetModuleHandleA(nullptr));
        BindImageLibrary();
        ASSERT_NE(nullptr, TheImageLibrary);
        folder_ = MakeTempFolder("scheduler");
        const COLORREF colors[] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(90, 90, 90)};
        for (int i = 0; i < 4; ++i) {
            pictures_.push_back(folder_ + "\\p" + std::to_string(i) + ".bmp");
            ASSERT_TRUE(WriteSolidBmp(pictures_.back(), 320 + 16 * i, 240, colors[i]));
        }
    }

    void SetUp() override {
        Settings = SettingsRecord();
        Settings.DeriveIntervals();
        VistalElapsedMinutes = VistalSetElapsedMinutes = 0;
        ChangesAllowed = true;
        CurrentVistalName.Empty();
        frame_ = new CMainFrame;
        ASSERT_TRUE(frame_->LoadFrame(IDR_MAINFRAME));
        g_app.m_pMainWnd = frame_;
    }

    void TearDown() override {
        DrainChanges();
        if (frame_ && IsWindow(frame_->m_hWnd)) frame_->DestroyWindow();
        g_app.m_pMainWnd = nullptr;
        delete TheImageSetList;
        TheImageSetList = nullptr;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {}
    }

    // A list of `sets` sets, each with the given pictures.
    static void MakeList(int sets, std::vector<std::string> paths) {
        auto list = std::make_unique<CImageSetList>();
        for (int s = 0; s < sets; ++s) {
            auto set = std::make_unique<CImageSet>(("set " + std::to_string(s)).c_str());
            for (const std::string& p : paths) set->AddEntry(std::make_unique<CImageEntry>(p.c_str()));
            list->AddSet(std::move(set));
        }
        delete TheImageSetList;
        TheImageSetList = list.release();
    }

    bool TimerArmed() {
        if (!KillTimer(frame_->m_hWnd, ID_CHANGE_TIMER)) return false;
        SetTimer(frame_->m_hWnd, ID_CHANGE_TIMER, kChangeTimerPeriodMs, nullptr);
        return true;
    }

    void Tick() { frame_->SendMessage(WM_TIMER, ID_CHANGE_TIMER); }

    static std::string folder_;
    static std::vector<std::string> pictures_;
    CMainFrame* frame_ = nullptr;
    RegistrySandbox sandbox_;
};

std::string SchedulerTest::folder_;
std::vector<std::string> SchedulerTest::pictures_;

}  // namespace

TEST_F(SchedulerTest, TickWithoutPeriodicOptionsOrWhileChangesAreHeldDisarms) {
    MakeList(1, pictures_);
    Settings.VistalPeriodic = Settings.VistalSetPeriodic = 0;
    frame_->SetTimer(ID_CHANGE_TIMER, kChangeTimerPeriodMs);
    Tick();
    EXPECT_FALSE(TimerArmed());
    EXPECT_EQ(0, VistalElapsedMinutes);

    Settings.VistalPeriodic = 1;
    ChangesAllowed = false;
    frame_->SetTimer(ID_CHANGE_TIMER, kChangeTimerPeriodMs);
    Tick();
    EXPECT_FALSE(TimerArmed());
    EXPECT_EQ(0, VistalElapsedMinutes);
    EXPECT_EQ(0, VistalSetElapsedMinutes);
}

TEST_F(SchedulerTest, TickWithNothingDueCountsBothAndRearms) {
    MakeList(2, pictures_);
    Tick();  // defaults: picture every 60 minutes, sets off
    EXPECT_TRUE(TimerArmed());
    EXPECT_EQ(1, VistalElapsedMinutes);
    EXPECT_EQ(1, VistalSetElapsedMinutes);  // counted although sets are off
    EXPECT_TRUE(CurrentVistalName.IsEmpty());
    EXPECT_EQ(0, DrainChanges(300));
}

TEST_F(SchedulerTest, PictureChangeDueStartsAWorkerAndWaitsForIt) {
    MakeList(1, pictures_);
    VistalElapsedMinutes = 59;
    Tick();
    EXPECT_FALSE(TimerArmed());  // until the change is in place
    EXPECT_EQ(0, VistalElapsedMinutes);
    EXPECT_STREQ("p0.bmp", CurrentVistalName);
    EXPECT_EQ(1, DrainChanges());
    EXPECT_TRUE(TimerArmed());
    BmpPixels wallpaper;
    ASSERT_TRUE(wallpaper.Load(WallpaperOutputPathForTests()));
    EXPECT_EQ(RGB(255, 0, 0), wallpaper.At(5, 5));
}

TEST_F(SchedulerTest, IntervalZeroChangesOnTheFirstTick) {
    MakeList(1, pictures_);
    Settings.VistalHours = 0;
    Settings.DeriveIntervals();
    Tick();
    EXPECT_EQ(0, VistalElapsedMinutes);
    EXPECT_EQ(1, DrainChanges());
}

TEST_F(SchedulerTest, SetAndPictureDueOnOneTickRunOneSetChange) {
    MakeList(3, {pictures_[0], pictures_[1]});
    TheImageSetList->NextImage({CYCLE_FORWARD, CYCLE_FORWARD}, -1);  // set 0, picture 0 on show
    Settings.VistalSetPeriodic = 1;
    Settings.VistalSetMinutes = 5;
    Settings.DeriveIntervals();
    VistalElapsedMinutes = 59;
    VistalSetElapsedMinutes = 4;
    Tick();
    EXPECT_EQ(1, TheImageSetList->m_nSetIndex);
    EXPECT_EQ(0, TheImageSetList->m_nImageIndex);  // the new set's first picture
    EXPECT_EQ(0, VistalSetElapsedMinutes);
    EXPECT_EQ(0, VistalElapsedMinutes);
    EXPECT_EQ(1, DrainChanges());
}

TEST_F(SchedulerTest, SetsOnlyAndOneSetStillChangesThePicture) {
    MakeList(1, pictures_);
    Settings.VistalPeriodic = 0;
    Settings.VistalSetPeriodic = 1;
    Settings.DeriveIntervals();  // set interval 0
    Tick();
    EXPECT_STREQ("p0.bmp", CurrentVistalName);
    DrainChanges();
    Tick();
    EXPECT_STREQ("p1.bmp", CurrentVistalName);
    DrainChanges();
}

TEST_F(SchedulerTest, FailedOpenShowsTheLibrarysTextAndKeepsTheTimerStopped) {
    const std::string missing = folder_ + "\\gone.jpg";
    MakeList(1, {missing});
    VistalElapsedMinutes = 60;
    {
        DialogCatcher catcher;
        Tick();
        ASSERT_TRUE(catcher.WaitFor(1));
        EXPECT_EQ(missing, catcher.Boxes()[0].caption);
        EXPECT_FALSE(catcher.Boxes()[0].text.empty());
        EXPECT_EQ(frame_->m_hWnd, catcher.Boxes()[0].owner);
    }
    EXPECT_EQ(61, VistalElapsedMinutes);  // not reset: no change started
    EXPECT_STREQ("gone.jpg", CurrentVistalName);
    EXPECT_EQ(0, DrainChanges(300));
    EXPECT_FALSE(TimerArmed());
}

TEST_F(SchedulerTest, WallpaperAppliedArmsOnlyWithAPeriodicOption) {
    frame_->SendMessage(WM_WALLPAPER_APPLIED);
    EXPECT_TRUE(TimerArmed());
    KillTimer(frame_->m_hWnd, ID_CHANGE_TIMER);
    Settings.VistalPeriodic = 0;
    frame_->SendMessage(WM_WALLPAPER_APPLIED);
    EXPECT_FALSE(TimerArmed());
}

TEST_F(SchedulerTest, MenuStatesFollowTheSetCount) {
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_TRAYMENU));
    HMENU popup = GetSubMenu(menu, 0);
    auto grayed = [&](int position) { return (GetMenuState(popup, position, MF_BYPOSITION) & MF_GRAYED) != 0; };

    frame_->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
    EXPECT_TRUE(grayed(10));   // no list
    EXPECT_TRUE(grayed(11));
    for (int always : {0, 1, 3, 4, 5, 7, 8, 13}) EXPECT_FALSE(grayed(always)) << always;

    MakeList(1, pictures_);
    frame_->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
    EXPECT_FALSE(grayed(10));
    EXPECT_TRUE(grayed(11));
    MakeList(2, pictures_);
    frame_->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
    EXPECT_FALSE(grayed(11));
    DestroyMenu(menu);
}

TEST_F(SchedulerTest, OverlappingChangesRunOneAtATimeAndTheNewestWins) {
    MakeList(1, pictures_);
    for (int i = 0; i < 4; ++i) frame_->SendMessage(WM_COMMAND, ID_DISPLAY_NEXT_VISTAL);
    const int applied = DrainChanges();
    EXPECT_GE(applied, 1);
    EXPECT_LE(applied, 3);  // the middle requests were dropped while waiting
    BmpPixels wallpaper;
    ASSERT_TRUE(wallpaper.Load(WallpaperOutputPathForTests()));
    EXPECT_EQ(RGB(90, 90, 90), wallpaper.At(5, 5));  // the last picture asked for
}

TEST_F(SchedulerTest, ABurstOfDisplayChangesComposesThePicturesOnShowOnceWithoutANewPicture) {
    MakeList(1, pictures_);
    frame_->SendMessage(WM_COMMAND, ID_DISPLAY_NEXT_VISTAL);
    ASSERT_EQ(1, DrainChanges());
    const std::vector<std::string> onShow = {pictures_[0]};
    EXPECT_EQ(onShow, TheCompositionQueue.PicturesOnShow());
    VistalElapsedMinutes = 7;
    KillTimer(frame_->m_hWnd, ID_CHANGE_TIMER);
    DeleteFileA(WallpaperOutputPathForTests().c_str());

    // Lets the display timer fire, then every change finish; the notices
    // that arrived meanwhile, by kind.
    auto settle = [&](int* recomposed, int* changed) {
        *recomposed = *changed = 0;
        bool fired = false;
        for (const DWORD start = GetTickCount(); !fired && GetTickCount() - start < 20000; Sleep(10)) {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                fired |= msg.message == WM_TIMER && msg.wParam == ID_DISPLAY_TIMER;
                if (msg.message == WM_WALLPAPER_APPLIED) ++*(msg.wParam == kRecomposedNotice ? recomposed : changed);
                DispatchMessageA(&msg);
            }
        }
        EXPECT_TRUE(fired);
        *recomposed += DrainChanges();  // only a recomposition can still be running
    };

    for (int i = 0; i < 5; ++i) frame_->SendMessage(WM_DISPLAYCHANGE, 24, MAKELPARAM(1024, 768));
    int recomposed = 0, changed = 0;
    settle(&recomposed, &changed);
    EXPECT_EQ(1, recomposed);
    EXPECT_EQ(0, changed);
    BmpPixels wallpaper;
    ASSERT_TRUE(wallpaper.Load(WallpaperOutputPathForTests()));
    EXPECT_EQ(RGB(255, 0, 0), wallpaper.At(5, 5));  // the same picture
    EXPECT_EQ(0, TheImageSetList->m_nImageIndex);
    EXPECT_STREQ("p0.bmp", CurrentVistalName);
    EXPECT_EQ(7, VistalElapsedMinutes);
    EXPECT_FALSE(TimerArmed()) << "a recomposition is no change: the schedule stays as it was";

    // The user has put another wallpaper up since: it stays.
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "Wallpaper", REG_SZ,
                                             "C:\\windows\\other.bmp", 21));
    DeleteFileA(WallpaperOutputPathForTests().c_str());
    frame_->SendMessage(WM_DISPLAYCHANGE, 24, MAKELPARAM(1024, 768));
    settle(&recomposed, &changed);
    EXPECT_EQ(0, recomposed + changed);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(WallpaperOutputPathForTests().c_str()));
}

TEST_F(SchedulerTest, ShutdownDuringAChangeWaitsForTheWorker) {
    MakeList(1, pictures_);
    frame_->SendMessage(WM_COMMAND, ID_DISPLAY_NEXT_VISTAL);
    frame_->DestroyWindow();  // the frame waits for the worker as it goes
    frame_ = nullptr;
    EXPECT_TRUE(TheCompositionQueue.IsIdle());
}

TEST_F(SchedulerTest, NoLibraryMeansNoChangeAndNoMessage) {
    MakeList(1, pictures_);
    ImageLibrary* saved = TheImageLibrary;
    TheImageLibrary = nullptr;
    frame_->SendMessage(WM_COMMAND, ID_DISPLAY_NEXT_VISTAL);
    TheImageLibrary = saved;
    EXPECT_EQ(-1, TheImageSetList->m_nImageIndex);
    EXPECT_TRUE(CurrentVistalName.IsEmpty());
}

TEST_F(SchedulerTest, MenuCommandsLeaveARunningTimerAndResetTheirCounters) {
    MakeList(2, pictures_);
    frame_->SetTimer(ID_CHANGE_TIMER, kChangeTimerPeriodMs);
    VistalElapsedMinutes = 17;
    VistalSetElapsedMinutes = 23;
    frame_->SendMessage(WM_COMMAND, ID_DISPLAY_NEXT_VISTAL);
    EXPECT_TRUE(TimerArmed());
    EXPECT_EQ(0, VistalElapsedMinutes);
    EXPECT_EQ(23, VistalSetElapsedMinutes);
    EXPECT_EQ(1, DrainChanges());

    VistalElapsedMinutes = 5;
    frame_->SendMessage(WM_COMMAND, ID_DISPLAY_NEXT_SET);
    EXPECT_TRUE(TimerArmed());
    EXPECT_EQ(0, VistalSetElapsedMinutes);
    EXPECT_EQ(0, VistalElapsedMinutes);
    EXPECT_EQ(1, TheImageSetList->m_nSetIndex);
    EXPECT_EQ(1, DrainChanges());
    EXPECT_TRUE(TimerArmed());  // restarted by the finished change
}

// The tray's Options command, driven through the real sheet.
namespace {

// Runs a tray command that opens a modal window captioned `caption`.
void RunModalCommand(CMainFrame* frame, UINT command, const char* caption, const std::function<void(HWND)>& drive) {
    DriveModal([&] { return static_cast<INT_PTR>(frame->SendMessage(WM_COMMAND, command)); }, caption, drive);
}

bool Shown(int set, int entry) {
    return TheImageSetList->GetSet(set)->GetEntry(entry)->m_bShown != 0;
}

}  // namespace

TEST_F(SchedulerTest, OptionsOkAppliesSavesAndRestartsTheSchedule) {
    using namespace sheet_driver;
    MakeList(2, pictures_);
    TheImageSetList->GetSet(0)->MarkShown(1);
    TheImageSetList->GetSet(1)->MarkShown(0);
    Settings.VistalPeriodic = 0;
    VistalElapsedMinutes = 5;
    VistalSetElapsedMinutes = 7;
    frame_->m_trayIcon.SetTipText("before");
    ASSERT_FALSE(TimerArmed());

    bool heldWhileOpen = false;
    bool applyButton = true;
    RunModalCommand(frame_, ID_OPTIONS, "Options", [&](HWND sheet) {
        heldWhileOpen = !ChangesAllowed;
        HWND apply = GetDlgItem(sheet, 0x3021);
        applyButton = apply && IsWindowVisible(apply);
        SelectPage(sheet, 1);
        HWND page = CurrentPage(sheet);
        Click(page, IDC_VISTAL_PERIODIC);
        Type(page, IDC_VISTAL_HOURS, "2");
        Type(page, IDC_VISTAL_MINUTES, "30");
        Click(page, IDC_MAXIMUM_FIT);
        Click(page, IDC_PER_SCREEN);  // on by default
        SelectPage(sheet, 3);
        page = CurrentPage(sheet);
        Choose(page, IDC_CALENDAR_POSITION, 5);
        Type(page, IDC_CALENDAR_WIDTH, "150");
        PressOK(sheet);
    });

    EXPECT_TRUE(heldWhileOpen) << "no change may start while the sheet is open";
    EXPECT_FALSE(applyButton);
    EXPECT_TRUE(ChangesAllowed);
    EXPECT_EQ(1, Settings.VistalPeriodic);
    EXPECT_EQ(3, Settings.VistalPosition);
    EXPECT_EQ(0, Settings.VistalPerScreen);
    EXPECT_EQ(5, Settings.CalendarPosition);
    EXPECT_EQ(150, Settings.VistalIntervalMinutes);
    EXPECT_EQ(0, VistalElapsedMinutes);
    EXPECT_EQ(0, VistalSetElapsedMinutes);
    EXPECT_FALSE(Shown(0, 1));
    EXPECT_FALSE(Shown(1, 0));
    EXPECT_TRUE(TimerArmed());
    EXPECT_STRNE("before", frame_->m_trayIcon.NotifyRecord().szTip);

    // Already in the registry, as if the program were killed now.
    Settings = SettingsRecord();
    EXPECT_TRUE(LoadSettings());
    EXPECT_EQ(3, Settings.VistalPosition);
    EXPECT_EQ(5, Settings.CalendarPosition);
    EXPECT_EQ(150, Settings.CalendarWidth);
    EXPECT_EQ(30, Settings.VistalMinutes);
    EXPECT_EQ(0, Settings.VistalPerScreen);
}

TEST_F(SchedulerTest, OptionsCancelChangesNothing) {
    using namespace sheet_driver;
    MakeList(1, pictures_);
    TheImageSetList->GetSet(0)->MarkShown(0);
    VistalElapsedMinutes = 5;
    VistalSetElapsedMinutes = 7;
    const SettingsRecord before = Settings;
    ASSERT_FALSE(TimerArmed());

    RunModalCommand(frame_, ID_OPTIONS, "Options", [&](HWND sheet) {
        Click(CurrentPage(sheet), IDC_SET_PERIODIC);
        SelectPage(sheet, 1);
        Click(CurrentPage(sheet), IDC_TILED);
        SelectPage(sheet, 2);
        Click(CurrentPage(sheet), IDC_SHOW_FILENAME);
        SelectPage(sheet, 3);
        Type(CurrentPage(sheet), IDC_CALENDAR_WIDTH, "300");
        PressCancel(sheet);
    });

    for (const StoredSetting& value : kStoredSettings)
        EXPECT_EQ(before.*value.field, Settings.*value.field) << value.name;
    EXPECT_EQ(5, VistalElapsedMinutes);
    EXPECT_EQ(7, VistalSetElapsedMinutes);
    EXPECT_TRUE(Shown(0, 0));
    EXPECT_FALSE(TimerArmed());
    EXPECT_TRUE(ChangesAllowed);
    EXPECT_FALSE(StoredDword(kProgramKey, "ShowFileName"));
}

TEST_F(SchedulerTest, OptionsConfirmedInTheSelectDialogRuleTheTooltipAndTheNextTick) {
    using namespace sheet_driver;
    MakeList(1, pictures_);
    VistalElapsedMinutes = 30;  // of the first run's hour
    RunModalCommand(frame_, ID_SELECT_IMAGES, "Select Background Images", [&](HWND dialog) {
        PostMessageA(GetDlgItem(dialog, IDC_OPTIONS), BM_CLICK, 0, 0);
        HWND sheet = WaitForDialog(0, "Options");
        ASSERT_NE(nullptr, sheet);
        SelectPage(sheet, 1);
        Type(CurrentPage(sheet), IDC_VISTAL_HOURS, "2");
        PressOK(sheet);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(sheet); }));
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    // Two hours from now on, of which 30 minutes have passed; the counter
    // goes on.
    EXPECT_STREQ("Vistals - 00:01:30", frame_->m_trayIcon.NotifyRecord().szTip);
    VistalElapsedMinutes = 118;
    Tick();
    EXPECT_TRUE(CurrentVistalName.IsEmpty()) << "changed after 119 of 120 minutes";
    Tick();
    EXPECT_STREQ("p0.bmp", CurrentVistalName);
}

// What the tray menu offers of the commands about the picture on show, and
// Pause: going back once something is behind, the folder while the file is
// there, removal from stored sets only; Pause is checked, holds the ticks,
// says so in the tooltip, and arms the timer again when it is lifted.
TEST_F(SchedulerTest, PictureItemsAreOfferedWhenTheyCanActAndPauseHoldsTheTicks) {
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_TRAYMENU));
    HMENU popup = GetSubMenu(menu, 0);
    auto state = [&](UINT id) {
        frame_->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
        return GetMenuState(popup, id, MF_BYCOMMAND);
    };
    const std::string gone = folder_ + "\\gone.bmp";
    ASSERT_TRUE(WriteSolidBmp(gone, 32, 24, RGB(1, 2, 3)));
    MakeList(1, {pictures_[0], gone});
    for (UINT id : {ID_DISPLAY_PREVIOUS_VISTAL, ID_SHOW_IN_FOLDER, ID_REMOVE_FROM_SET})
        EXPECT_TRUE(state(id) & MF_GRAYED) << "nothing on show: " << id;
    EXPECT_EQ(0u, state(ID_PAUSE_CHANGES) & (MF_GRAYED | MF_CHECKED));

    frame_->SendMessage(WM_COMMAND, ID_DISPLAY_NEXT_VISTAL);
    EXPECT_TRUE(state(ID_DISPLAY_PREVIOUS_VISTAL) & MF_GRAYED);
    EXPECT_FALSE(state(ID_SHOW_IN_FOLDER) & MF_GRAYED);
    EXPECT_FALSE(state(ID_REMOVE_FROM_SET) & MF_GRAYED);
    DrainChanges();
    frame_->SendMessage(WM_COMMAND, ID_DISPLAY_NEXT_VISTAL);
    EXPECT_FALSE(state(ID_DISPLAY_PREVIOUS_VISTAL) & MF_GRAYED);
    DrainChanges();
    ASSERT_TRUE(DeleteFileA(gone.c_str()));
    EXPECT_TRUE(state(ID_SHOW_IN_FOLDER) & MF_GRAYED);
    EXPECT_FALSE(state(ID_REMOVE_FROM_SET) & MF_GRAYED);  // a gone file may still leave its set
    TheImageSetList->m_bFromCommandLine = TRUE;
    EXPECT_TRUE(state(ID_REMOVE_FROM_SET) & MF_GRAYED);

    Settings.ShowFileName = 1;
    VistalElapsedMinutes = 59;  // the next tick is due
    frame_->SendMessage(WM_COMMAND, ID_PAUSE_CHANGES);
    EXPECT_TRUE(state(ID_PAUSE_CHANGES) & MF_CHECKED);
    EXPECT_STREQ("Vistals - gone.bmp - paused", frame_->m_trayIcon.NotifyRecord().szTip);
    frame_->SetTimer(ID_CHANGE_TIMER, kChangeTimerPeriodMs);
    Tick();
    EXPECT_EQ(59, VistalElapsedMinutes);
    EXPECT_STREQ("gone.bmp", CurrentVistalName);
    EXPECT_FALSE(TimerArmed());
    EXPECT_EQ(0, DrainChanges(300));

    frame_->SendMessage(WM_COMMAND, ID_PAUSE_CHANGES);
    EXPECT_FALSE(state(ID_PAUSE_CHANGES) & MF_CHECKED);
    EXPECT_TRUE(TimerArmed());
    EXPECT_STREQ("Vistals - gone.bmp - 00:00:01", frame_->m_trayIcon.NotifyRecord().szTip);
    DestroyMenu(menu);
}
