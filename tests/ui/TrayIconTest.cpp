// The tray icon against the real notification area of the test desktop, and
// the main frame's part: the popup it opens, the default command, keyboard
// shortcuts and the tooltip.
#include "app/MainFrame.h"
#include "app/Messages.h"
#include "app/SchedulerState.h"
#include "settings/Settings.h"
#include "framework/Gdi.h"
#include "res/resource.h"
#include "support/WaitUntil.h"
#include "ui/TrayIcon.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr UINT kCallback = WM_APP + 5;
constexpr UINT kMissingMenu = 999;

// Commands that reached the main window, in order.
std::vector<UINT> g_commands;

class TestApp : public CWinApp {
    DECLARE_MESSAGE_MAP()
public:
    TestApp() : CWinApp("ui_tests") {}
private:
    void OnAbout() {}
};

BEGIN_MESSAGE_MAP(TestApp, CWinApp)
    ON_COMMAND(ID_APP_ABOUT, OnAbout)
END_MESSAGE_MAP()

TestApp g_app;

// The real main frame, watched: commands are recorded instead of run.
class WatchedFrame : public CMainFrame {
public:
    int measured = 0;
    int drawn = 0;
    std::vector<LRESULT> menuCharResults;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_COMMAND) {
            g_commands.push_back(LOWORD(wParam));
            return 0;
        }
        if (message == WM_MEASUREITEM && reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->CtlType == ODT_MENU) ++measured;
        if (message == WM_DRAWITEM && reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->CtlType == ODT_MENU) ++drawn;
        const LRESULT result = CMainFrame::WindowProc(message, wParam, lParam);
        if (message == WM_MENUCHAR) menuCharResults.push_back(result);
        return result;
    }
};

// A hidden window of our own, for icons whose notifications go to a parent.
class PlainWindow : public CWnd {
public:
    PlainWindow() { CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr); }
};

// True while the shell knows the icon (it refuses to modify unknown ones).
bool ShellHasIcon(HWND window, UINT id) {
    NOTIFYICONDATAA data{};
    data.cbSize = CTrayIcon::kNotifyRecordSize;
    data.hWnd = window;
    data.uID = id;
    data.uFlags = 0;
    return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

HICON AppIcon() {
    return LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
}

LRESULT Notify(const CTrayIcon& tray, WPARAM id, UINT mouseMessage) {
    return SendMessageA(tray.m_hWnd, tray.NotifyRecord().uCallbackMessage, id, mouseMessage);
}

// Runs `action` with the tracked popup once it shows; a popup that is
// still open after a few seconds is closed so that no test can hang.
std::function<void(HWND, HMENU)> g_whilePopupShows;
int g_popupWaits = 0;

void CALLBACK CloseForgottenPopup(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    EndMenu();
}

void CALLBACK InspectPopup(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND window = FindWindowA("#32768", nullptr);
    if (!window || !IsWindowVisible(window)) {
        if (++g_popupWaits > 100) {
            KillTimer(nullptr, timer);
            EndMenu();
        }
        return;
    }
    KillTimer(nullptr, timer);
    SetTimer(nullptr, 0, 5000, CloseForgottenPopup);
    UpdateWindow(window);
    g_whilePopupShows(window, reinterpret_cast<HMENU>(SendMessageA(window, MN_GETHMENU, 0, 0)));
}

void WhilePopupShows(std::function<void(HWND, HMENU)> action) {
    g_whilePopupShows = std::move(action);
    g_popupWaits = 0;
    SetTimer(nullptr, 0, 50, InspectPopup);
}

class TrayIconTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_commands.clear();
        g_app.InitApplication(GetModuleHandleA(nullptr));
    }
    void TearDown() override {
        COwnerDrawMenu::SetPlatformClassForTesting(-1);
        PumpMessages();
    }
};

class MainFrameTrayTest : public TrayIconTest {
protected:
    void SetUp() override {
        TrayIconTest::SetUp();
        frame_ = new WatchedFrame;  // deletes itself with its window
        ASSERT_TRUE(frame_->LoadFrame(IDR_MAINFRAME));
        g_app.m_pMainWnd = frame_;
        ASSERT_TRUE(frame_->InstallTrayMenu());
        SetCursorPos(20, 20);  // away from where the popup opens
    }
    void TearDown() override {
        if (g_app.m_pMainWnd) frame_->DestroyWindow();
        g_app.m_pMainWnd = nullptr;
        TrayIconTest::TearDown();
    }
    CTrayIcon& Tray() { return frame_->m_trayIcon; }
    WatchedFrame* frame_ = nullptr;
};

}  // namespace

TEST_F(TrayIconTest, AddsTheIconAndCutsLongTips) {
    CTrayIcon tray;
    EXPECT_FALSE(tray.SetTipText("before"));  // nothing to change yet

    ASSERT_TRUE(tray.Create(nullptr, kCallback, "Vistals", AppIcon(), IDR_TRAYMENU));
    const NOTIFYICONDATAA& record = tray.NotifyRecord();
#ifdef _WIN64
    EXPECT_EQ(offsetof(NOTIFYICONDATAA, guidItem), record.cbSize);
#else
    EXPECT_EQ(488u, record.cbSize);
#endif
    EXPECT_EQ(tray.m_hWnd, record.hWnd);  // no parent: the hidden window hears the shell
    EXPECT_FALSE(IsWindowVisible(tray.m_hWnd));
    EXPECT_STREQ("Vistals", record.szTip);
    EXPECT_TRUE(ShellHasIcon(tray.m_hWnd, IDR_TRAYMENU));

    const std::string exact(127, 'e');
    EXPECT_TRUE(tray.SetTipText(exact.c_str()));
    EXPECT_EQ(exact, record.szTip);

    const std::string longer = std::string(127, 'a') + std::string(200, 'b');
    EXPECT_TRUE(tray.SetTipText(longer.c_str()));
    EXPECT_EQ(std::string(127, 'a'), record.szTip);
    EXPECT_EQ(0u, record.dwState);  // nothing written past the field
    EXPECT_EQ(0u, record.dwStateMask);
}

TEST_F(TrayIconTest, DestructorRemovesTheIconFromTheShell) {
    PlainWindow parent;
    {
        CTrayIcon tray;
        ASSERT_TRUE(tray.Create(&parent, kCallback, "parented", AppIcon(), 77));
        EXPECT_EQ(parent.m_hWnd, tray.NotifyRecord().hWnd);
        EXPECT_TRUE(ShellHasIcon(parent.m_hWnd, 77));
    }
    EXPECT_FALSE(ShellHasIcon(parent.m_hWnd, 77));
}

TEST_F(TrayIconTest, IconComesBackWhenTheTaskbarIsCreatedAgain) {
    PlainWindow parent;
    CTrayIcon tray;
    ASSERT_TRUE(tray.Create(&parent, kCallback, "again", AppIcon(), 78));
    NOTIFYICONDATAA lost = tray.NotifyRecord();
    Shell_NotifyIconA(NIM_DELETE, &lost);  // as a restarted shell forgets it
    ASSERT_FALSE(ShellHasIcon(parent.m_hWnd, 78));

    SendMessageA(tray.m_hWnd, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(ShellHasIcon(parent.m_hWnd, 78));
    // A shell that still has the icon leaves it as it is.
    SendMessageA(tray.m_hWnd, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(ShellHasIcon(parent.m_hWnd, 78));
    EXPECT_TRUE(tray.SetTipText("still here"));
}

TEST_F(TrayIconTest, DefaultItemIsStoredEvenWithoutItsMenu) {
    CTrayIcon tray;
    ASSERT_TRUE(tray.Create(nullptr, kCallback, "no menu", AppIcon(), kMissingMenu));
    EXPECT_TRUE(tray.SetDefaultMenuItem(0, true));  // the initial values
    EXPECT_FALSE(tray.SetDefaultMenuItem(10, true));
    EXPECT_TRUE(tray.SetDefaultMenuItem(10, true));  // same again: at once

    PlainWindow main;
    g_app.m_pMainWnd = &main;
    EXPECT_EQ(0, Notify(tray, kMissingMenu, WM_RBUTTONUP));
    EXPECT_EQ(0, Notify(tray, kMissingMenu, WM_LBUTTONDBLCLK));
    g_app.m_pMainWnd = nullptr;
}

TEST_F(MainFrameTrayTest, NotificationsForOtherIconsAndSingleClicksDoNothing) {
    EXPECT_TRUE(ShellHasIcon(Tray().m_hWnd, IDR_TRAYMENU));
    EXPECT_EQ(WM_TRAY_NOTIFY, Tray().NotifyRecord().uCallbackMessage);
    EXPECT_STREQ("Vistals", Tray().NotifyRecord().szTip);

    EXPECT_EQ(0, Notify(Tray(), IDR_TRAYMENU + 1, WM_LBUTTONDBLCLK));
    EXPECT_EQ(0, Notify(Tray(), IDR_TRAYMENU + 1, WM_RBUTTONUP));
    for (UINT mouse : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSEMOVE, WM_RBUTTONDOWN, WM_MBUTTONUP})
        EXPECT_EQ(1, Notify(Tray(), IDR_TRAYMENU, mouse)) << mouse;
    PumpMessages();
    EXPECT_TRUE(g_commands.empty());
}

TEST_F(MainFrameTrayTest, DoubleClickSendsTheDefaultCommandAtOnce) {
    EXPECT_EQ(1, Notify(Tray(), IDR_TRAYMENU, WM_LBUTTONDBLCLK));
    EXPECT_EQ(std::vector<UINT>{ID_DISPLAY_NEXT_VISTAL}, g_commands);  // already run: sent, not posted

    g_commands.clear();
    EXPECT_TRUE(Tray().SetDefaultMenuItem(ID_OPTIONS, false));  // by command
    EXPECT_EQ(1, Notify(Tray(), IDR_TRAYMENU, WM_LBUTTONDBLCLK));
    EXPECT_EQ(std::vector<UINT>{ID_OPTIONS}, g_commands);
}

TEST_F(MainFrameTrayTest, RightClickShowsTheOwnerDrawnPopup) {
    COwnerDrawMenu::SetPlatformClassForTesting(COwnerDrawMenu::kWinXP);  // the look a pixel can tell apart
    HMENU shown = nullptr;
    int count = -1;
    UINT defaultItem = 0;
    std::vector<UINT> states;
    std::vector<UINT> recordFlags;
    std::vector<LONG> widths;
    COLORREF column = CLR_INVALID, background = CLR_INVALID;
    LRESULT nested = -1;

    WhilePopupShows([&](HWND window, HMENU menu) {
        shown = menu;
        count = GetMenuItemCount(menu);
        defaultItem = GetMenuDefaultItem(menu, TRUE, GMDI_USEDISABLED);
        for (int i = 0; i < count; ++i) {
            states.push_back(GetMenuState(menu, i, MF_BYPOSITION));
            MENUITEMINFOA data{};
            data.cbSize = sizeof data;
            data.fMask = MIIM_DATA;
            GetMenuItemInfoA(menu, i, TRUE, &data);
            if (const auto* record = reinterpret_cast<const COwnerDrawMenuItem*>(data.dwItemData))
                recordFlags.push_back(record->flags);
            RECT item{};
            GetMenuItemRect(nullptr, menu, i, &item);
            widths.push_back(item.right - item.left);
        }
        RECT exitItem{};
        GetMenuItemRect(nullptr, menu, 17, &exitItem);
        POINT origin{0, 0};
        ClientToScreen(window, &origin);
        ScopedGetDC dc(window);
        column = GetPixel(dc.get(), exitItem.left - origin.x + 5, exitItem.top - origin.y + 5);
        background = GetPixel(dc.get(), exitItem.right - origin.x - 3, exitItem.top - origin.y + 3);
        // A notification arriving while the popup is open leaves it alone.
        nested = Notify(Tray(), IDR_TRAYMENU, WM_LBUTTONDBLCLK);
        EndMenu();
    });
    EXPECT_EQ(1, Notify(Tray(), IDR_TRAYMENU, WM_RBUTTONUP));

    ASSERT_NE(nullptr, shown);
    EXPECT_EQ(18, count);
    EXPECT_EQ(10u, defaultItem);
    ASSERT_EQ(18u, states.size());
    ASSERT_EQ(18u, recordFlags.size());
    for (int i = 0; i < 18; ++i) {
        EXPECT_TRUE(states[i] & MF_OWNERDRAW) << i;
        EXPECT_GT(widths[i], 0) << i;
        // The records show what the update handlers decided.
        if (!(states[i] & MF_SEPARATOR)) {
            EXPECT_EQ(states[i] & MF_GRAYED, recordFlags[i] & MF_GRAYED) << i;
        }
    }
    // With no picture set, only the commands about pictures are unavailable.
    for (int i : {0, 1, 3, 4, 5, 7, 8, 13, 17}) EXPECT_FALSE(states[i] & MF_GRAYED) << i;
    EXPECT_TRUE(states[10] & MF_GRAYED);  // "Display Next &Vistal"
    EXPECT_TRUE(states[11] & MF_GRAYED);  // "&Display Next Set"
    for (int i : {12, 14, 15}) EXPECT_TRUE(states[i] & MF_GRAYED) << i;  // previous, folder, remove
    EXPECT_GE(frame_->measured, 18);
    EXPECT_GE(frame_->drawn, 18);
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), column);
    EXPECT_EQ(COwnerDrawMenu::Darken(GetSysColor(COLOR_WINDOW), 0.02), background);
    EXPECT_EQ(0, nested);

    // Closed without a choice; the menu of this click is gone.
    PumpMessages();
    EXPECT_TRUE(g_commands.empty());
    EXPECT_FALSE(IsMenu(shown));
    EXPECT_EQ(nullptr, Tray().PopupMenu().FindPopup(shown));
}

TEST_F(MainFrameTrayTest, MnemonicKeyRunsItsItem) {
    WhilePopupShows([](HWND, HMENU) {
        keybd_event('H', 0, 0, 0);
        keybd_event('H', 0, KEYEVENTF_KEYUP, 0);
    });
    EXPECT_EQ(1, Notify(Tray(), IDR_TRAYMENU, WM_RBUTTONUP));
    PumpUntil([] { return !g_commands.empty(); }, 2000);
    EXPECT_EQ(std::vector<UINT>{ID_HELP_FINDER}, g_commands);  // "&Help..."
    EXPECT_EQ(std::vector<LRESULT>{MAKELRESULT(1, MNC_EXECUTE)}, frame_->menuCharResults);
}

TEST_F(MainFrameTrayTest, TooltipFollowsTheSchedule) {
    const SettingsRecord saved = Settings;
    const CString savedName = CurrentVistalName;
    Settings.ShowFileName = 1;
    Settings.ShowTimeLeft = 1;
    Settings.VistalPeriodic = 1;
    Settings.VistalSetPeriodic = 0;
    Settings.VistalIntervalMinutes = 90;
    VistalElapsedMinutes = 0;
    CurrentVistalName = "lake.jpg";

    frame_->UpdateTooltip();
    EXPECT_STREQ("Vistals - lake.jpg - 00:01:30", Tray().NotifyRecord().szTip);
    VistalElapsedMinutes = 89;
    frame_->SendMessage(WM_WALLPAPER_APPLIED);  // a finished change refreshes it
    EXPECT_STREQ("Vistals - lake.jpg - 00:00:01", Tray().NotifyRecord().szTip);

    Settings = saved;
    CurrentVistalName = savedName;
    VistalElapsedMinutes = 0;
}

// The shell's own mouse handling, as a user's clicks reach it: the only icon
// of this desktop sits at the right end of the taskbar.
TEST_F(MainFrameTrayTest, ClicksOnTheIconInTheTaskbar) {
    constexpr int kIconX = 1013, kIconY = 758;
    int shownItems = -1;
    WhilePopupShows([&](HWND, HMENU menu) {
        shownItems = GetMenuItemCount(menu);
        EndMenu();
    });
    SetCursorPos(kIconX, kIconY);
    mouse_event(MOUSEEVENTF_RIGHTDOWN, 0, 0, 0, 0);
    mouse_event(MOUSEEVENTF_RIGHTUP, 0, 0, 0, 0);
    PumpUntil([&] { return shownItems >= 0; }, 5000);
    EXPECT_EQ(18, shownItems);

    SetCursorPos(kIconX, kIconY);
    for (int click = 0; click < 2; ++click) {
        mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
        mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    }
    PumpUntil([] { return !g_commands.empty(); }, 5000);
    EXPECT_EQ(std::vector<UINT>{ID_DISPLAY_NEXT_VISTAL}, g_commands);
}
