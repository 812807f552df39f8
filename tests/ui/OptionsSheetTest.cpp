// The Options sheet driven as a user drives it: each page loads from the
// settings, greys and saves as described, refuses bad entries with the
// focus in the failing edit, and the Calendar page draws its preview box.
#include "framework/WinApp.h"
#include "res/resource.h"
#include "settings/Settings.h"
#include "support/ModalDriver.h"
#include "support/Registry.h"
#include "support/RegistrySandbox.h"
#include "support/SheetDriver.h"
#include "support/WaitUntil.h"
#include "ui/CalendarPlacement.h"
#include "ui/OptionsSheet.h"

#include <gtest/gtest.h>

#include <string>

using namespace sheet_driver;

namespace {

class OptionsSheetTest : public ::testing::Test {
protected:
    void SetUp() override { Settings = SettingsRecord(); }

    // Runs a fresh sheet (built from the current settings) under `drive`.
    INT_PTR Run(COptionsSheet& sheet, const std::function<void(HWND)>& drive) {
        sheet.m_psh.dwFlags |= PSH_NOAPPLYNOW;
        return DriveModal([&] { return sheet.DoModal(); }, "Options", drive);
    }

    static int32_t StoredValue(const char* name) {
        return static_cast<int32_t>(StoredDword(kProgramKey, name).value_or(0xDEAD));
    }

    // OK on the current page; the message box it raises, answered.
    static MessageBoxSeen RefusedOK(HWND sheet) {
        PressOK(sheet);
        MessageBoxSeen seen;
        EXPECT_TRUE(AnswerMessageBox(&seen, sheet));
        return seen;
    }

    RegistrySandbox sandbox_;
};

// The numbers of the calendar cases are those of a 1024 x 768 screen.
bool ScreenIs1024By768() {
    ScopedGetDC screen(nullptr);
    return GetDeviceCaps(screen.get(), HORZRES) == 1024 && GetDeviceCaps(screen.get(), VERTRES) == 768;
}

const int kSetIntervalControls[] = {IDC_SET_DAYS, IDC_SET_HOURS, IDC_SET_MINUTES,
                                    IDC_SET_DAYS_SPIN, IDC_SET_HOURS_SPIN, IDC_SET_MINUTES_SPIN};

bool AllEnabled(HWND page, const int* ids, int count, bool enabled) {
    for (int i = 0; i < count; ++i)
        if (Enabled(page, ids[i]) != enabled) return false;
    return true;
}

TEST_F(OptionsSheetTest, VistalSetAndTooltipPagesLoadGreyAndSave) {
    Settings.VistalSetPeriodic = 0;
    Settings.VistalSetDays = 2;
    Settings.VistalSetHours = 500;
    Settings.VistalSetMinutes = 7;
    Settings.VistalSetStartup = 1;
    Settings.VistalSetCycleMethod = 1;
    Settings.ShowTimeLeft = 1;
    Settings.ShowFileName = 0;

    COptionsSheet sheet("Options");
    const INT_PTR result = Run(sheet, [](HWND sheet) {
        HWND apply = GetDlgItem(sheet, 0x3021);
        EXPECT_TRUE(!apply || !IsWindowVisible(apply)) << "no Apply button";
        HWND page = CurrentPage(sheet);
        char tab[32] = {};
        GetWindowTextA(page, tab, sizeof tab);
        EXPECT_STREQ("Vistal Set", tab);
        EXPECT_TRUE(Checked(page, IDC_SET_BACKWARD));
        EXPECT_FALSE(Checked(page, IDC_SET_FORWARD));
        EXPECT_FALSE(Checked(page, IDC_SET_RANDOM));
        EXPECT_EQ("2", Text(page, IDC_SET_DAYS));
        EXPECT_EQ("500", Text(page, IDC_SET_HOURS));  // above the up-down's default range
        EXPECT_EQ("7", Text(page, IDC_SET_MINUTES));
        EXPECT_TRUE(Checked(page, IDC_SET_STARTUP));
        EXPECT_FALSE(Checked(page, IDC_SET_PERIODIC));
        EXPECT_TRUE(AllEnabled(page, kSetIntervalControls, 6, false)) << "opened greyed";
        int low = -1, high = -1;
        SendMessageA(GetDlgItem(page, IDC_SET_DAYS_SPIN), UDM_GETRANGE32,
                     reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
        EXPECT_EQ(0, low);
        EXPECT_EQ(32767, high);

        Click(page, IDC_SET_PERIODIC);
        EXPECT_TRUE(AllEnabled(page, kSetIntervalControls, 6, true));
        Click(page, IDC_SET_PERIODIC);
        EXPECT_TRUE(AllEnabled(page, kSetIntervalControls, 6, false));
        Click(page, IDC_SET_PERIODIC);
        EXPECT_TRUE(AllEnabled(page, kSetIntervalControls, 6, true));
        Type(page, IDC_SET_MINUTES, "45");
        Click(page, IDC_SET_RANDOM);

        EXPECT_TRUE(SelectPage(sheet, 2));
        page = CurrentPage(sheet);
        EXPECT_TRUE(Checked(page, IDC_SHOW_TIME_LEFT));
        EXPECT_FALSE(Checked(page, IDC_SHOW_FILENAME));
        Click(page, IDC_SHOW_TIME_LEFT);
        Click(page, IDC_SHOW_FILENAME);
        PressOK(sheet);
    });
    ASSERT_EQ(IDOK, result);
    EXPECT_EQ(7, Settings.VistalSetMinutes) << "nothing reaches the settings before ApplyOptions";

    sheet.ApplyOptions();
    EXPECT_EQ(1, Settings.VistalSetPeriodic);
    EXPECT_EQ(2, Settings.VistalSetDays);
    EXPECT_EQ(500, Settings.VistalSetHours);
    EXPECT_EQ(45, Settings.VistalSetMinutes);
    EXPECT_EQ(1, Settings.VistalSetStartup);
    EXPECT_EQ(2, Settings.VistalSetCycleMethod);
    EXPECT_EQ(0, Settings.ShowTimeLeft);
    EXPECT_EQ(1, Settings.ShowFileName);
    // Written to the registry at once.
    EXPECT_EQ(45, StoredValue("VistalSetMinutes"));
    EXPECT_EQ(1, StoredValue("ShowFileName"));
    EXPECT_EQ(1, StoredValue("CalendarTransparentBackground"));
}

TEST_F(OptionsSheetTest, VistalPagePositionsFollowTheStoredValues) {
    struct Case { int32_t stored; int shown; int click; int32_t saved; };
    const Case cases[] = {
        {0, IDC_CENTERED, 0, 0},                 // 0 shows "&Centered"
        {1, IDC_TILED, IDC_FIT_DESKTOP, 2},      // 1 shows "Ti&led"
        {3, IDC_MAXIMUM_FIT, IDC_CENTERED, 0},
        {2, IDC_FIT_DESKTOP, -1, 3},             // none checked saves Maximum fit
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        Settings.VistalPosition = c.stored;
        Settings.VistalCycleMethod = 2;
        Settings.VistalPeriodic = c.stored % 2;
        Settings.VistalHours = -4;
        COptionsSheet sheet("Options");
        const INT_PTR result = Run(sheet, [&](HWND sheet) {
            SelectPage(sheet, 1);
            HWND page = CurrentPage(sheet);
            const int positions[] = {IDC_TILED, IDC_CENTERED, IDC_FIT_DESKTOP, IDC_MAXIMUM_FIT};
            for (int id : positions) EXPECT_EQ(id == c.shown, Checked(page, id)) << id;
            EXPECT_TRUE(Checked(page, IDC_VISTAL_RANDOM));
            EXPECT_EQ(c.stored % 2 == 1, Enabled(page, IDC_VISTAL_HOURS));
            EXPECT_EQ(c.stored % 2 == 1, Enabled(page, IDC_VISTAL_MINUTES_SPIN));
            EXPECT_EQ("-4", Text(page, IDC_VISTAL_HOURS));
            if (c.click > 0) Click(page, c.click);
            if (c.click < 0) {
                // With no radio checked the order keeps its stored value.
                for (int id : positions) SendMessageA(GetDlgItem(page, id), BM_SETCHECK, BST_UNCHECKED, 0);
                SendMessageA(GetDlgItem(page, IDC_VISTAL_RANDOM), BM_SETCHECK, BST_UNCHECKED, 0);
            }
            PressOK(sheet);
        });
        ASSERT_EQ(IDOK, result);
        EXPECT_EQ(c.saved, sheet.m_vistalPage.m_position);
        EXPECT_EQ(2, sheet.m_vistalPage.m_order);
        EXPECT_EQ(-4, sheet.m_vistalPage.m_hours) << "negative entries are accepted";
    }
}

TEST_F(OptionsSheetTest, NonIntegerIsRefusedWithTheFocusInItsEdit) {
    Settings.VistalSetPeriodic = 1;
    COptionsSheet sheet("Options");
    const INT_PTR result = Run(sheet, [](HWND sheet) {
        HWND page = CurrentPage(sheet);
        Type(page, IDC_SET_HOURS, "12x");
        const MessageBoxSeen seen = RefusedOK(sheet);
        EXPECT_EQ("Please enter an integer.", seen.text);
        EXPECT_EQ(AfxGetApp()->m_pszAppName, seen.caption);
        HWND edit = GetDlgItem(page, IDC_SET_HOURS);
        EXPECT_TRUE(WaitUntil([&] { return Focus(sheet) == edit; }));
        DWORD start = 0, end = 0;
        SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        EXPECT_EQ(0u, start);
        EXPECT_EQ(3u, end);
        EXPECT_TRUE(IsWindow(sheet));
        EXPECT_EQ(page, CurrentPage(sheet));

        Type(page, IDC_SET_HOURS, " 500 ");
        PressOK(sheet);
    });
    ASSERT_EQ(IDOK, result);
    EXPECT_EQ(500, sheet.m_vistalSetPage.m_hours);
}

TEST_F(OptionsSheetTest, CalendarChecksNameTheLimitAndFocusTheEdit) {
    ASSERT_TRUE(ScreenIs1024By768());

    Settings.CalendarPosition = 1;
    Settings.CalendarMarginX = -5;
    COptionsSheet sheet("Options");
    const INT_PTR result = Run(sheet, [](HWND sheet) {
        SelectPage(sheet, 3);
        HWND page = CurrentPage(sheet);
        HWND combo = GetDlgItem(page, IDC_CALENDAR_POSITION);
        const char* names[] = {"No calendar", "Center", "Upper left", "Upper right", "Lower left", "Lower right"};
        ASSERT_EQ(6, SendMessageA(combo, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < 6; ++i) {
            char text[32] = {};
            SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
            EXPECT_STREQ(names[i], text);
        }
        EXPECT_EQ(1, SendMessageA(combo, CB_GETCURSEL, 0, 0));
        EXPECT_EQ("4294967291", Text(page, IDC_CALENDAR_MARGIN_X));
        EXPECT_EQ("150", Text(page, IDC_CALENDAR_WIDTH));

        struct Case { int position; const char* w; const char* h; const char* mx; const char* my;
                      const char* message; int edit; };
        const Case cases[] = {
            {5, "1100", "125", "30", "30", "The calendar width must be between 1 and 1024", IDC_CALENDAR_WIDTH},
            {5, "0", "9999", "30", "30", "The calendar width must be between 1 and 1024", IDC_CALENDAR_WIDTH},
            {1, "abc", "125", "30", "30", "The calendar width must be between 1 and 1024", IDC_CALENDAR_WIDTH},
            {3, "150", "769", "30", "30", "The calendar height must be between 1 and 768", IDC_CALENDAR_HEIGHT},
            {2, "150", "125", "900", "30", "Margin x must be between 0 and 874", IDC_CALENDAR_MARGIN_X},
            {4, "150", "125", "-1", "30", "Margin x must be between 0 and 874", IDC_CALENDAR_MARGIN_X},
            {5, "150", "125", "30", "700", "Margin y must be between 0 and 643", IDC_CALENDAR_MARGIN_Y},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.message);
            SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(c.position), 0);
            Type(page, IDC_CALENDAR_WIDTH, c.w);
            Type(page, IDC_CALENDAR_HEIGHT, c.h);
            Type(page, IDC_CALENDAR_MARGIN_X, c.mx);
            Type(page, IDC_CALENDAR_MARGIN_Y, c.my);
            const MessageBoxSeen seen = RefusedOK(sheet);
            EXPECT_EQ(c.message, seen.text);
            EXPECT_EQ(AfxGetApp()->m_pszAppName, seen.caption);
            HWND edit = GetDlgItem(page, c.edit);
            EXPECT_TRUE(WaitUntil([&] { return Focus(sheet) == edit; }));
            DWORD start = 1, end = 0;
            SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
            EXPECT_EQ(0u, start);
            EXPECT_EQ(static_cast<DWORD>(Text(page, c.edit).size()), end);
            ASSERT_TRUE(IsWindow(sheet));
        }
        // The center needs no margins.
        SendMessageA(combo, CB_SETCURSEL, 1, 0);
        Type(page, IDC_CALENDAR_WIDTH, "150");
        Type(page, IDC_CALENDAR_HEIGHT, "125");
        Type(page, IDC_CALENDAR_MARGIN_X, "5000");
        Type(page, IDC_CALENDAR_MARGIN_Y, "-20");
        Click(page, IDC_CALENDAR_GRID_LINES);
        PressOK(sheet);
    });
    ASSERT_EQ(IDOK, result);
    sheet.ApplyOptions();
    EXPECT_EQ(1, Settings.CalendarPosition);
    EXPECT_EQ(5000, Settings.CalendarMarginX);
    EXPECT_EQ(-20, Settings.CalendarMarginY);
    EXPECT_EQ(1, Settings.CalendarGridLines);
    EXPECT_EQ(-20, StoredValue("CalendarMarginY"));
}

TEST_F(OptionsSheetTest, NoCalendarStoresWhatIsTypedAndKeepsNegativeMargins) {
    Settings.CalendarPosition = 4;
    Settings.CalendarMarginY = -5;
    COptionsSheet sheet("Options");
    const INT_PTR result = Run(sheet, [](HWND sheet) {
        SelectPage(sheet, 3);
        HWND page = CurrentPage(sheet);
        SendMessageA(GetDlgItem(page, IDC_CALENDAR_POSITION), CB_SETCURSEL, 0, 0);
        Type(page, IDC_CALENDAR_WIDTH, "5000");
        PressOK(sheet);
    });
    ASSERT_EQ(IDOK, result);
    EXPECT_EQ(0, sheet.m_calendarPage.m_position);
    EXPECT_EQ(5000, sheet.m_calendarPage.m_width);
    // Shown as 4294967291, read back as the value it was.
    EXPECT_EQ(-5, sheet.m_calendarPage.m_marginY);
}

TEST_F(OptionsSheetTest, CalendarPreviewBoxFollowsTheEdits) {
    ASSERT_TRUE(ScreenIs1024By768());
    // No wallpaper: the preview is the desktop colour.
    SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(""), 0);

    Settings.CalendarPosition = 5;
    COptionsSheet sheet("Options");
    CCalendarOptionsPage& calendar = sheet.m_calendarPage;
    Run(sheet, [&](HWND sheet) {
        SelectPage(sheet, 3);
        HWND page = CurrentPage(sheet);
        // A preview of 172 x 134 pixels at the right of the page.
        RECT client{};
        GetClientRect(page, &client);
        const int left = client.right - 180, top = calendar.m_rcPreview.top;
        calendar.m_rcPreview = {left, top, left + 172, top + 134};
        auto repaint = [&] {
            RedrawWindow(page, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        };
        auto pixel = [&](int x, int y) {
            ScopedGetDC dc(page);
            return GetPixel(dc.get(), left + x, top + y);
        };
        const COLORREF white = RGB(255, 255, 255), black = RGB(0, 0, 0);
        const COLORREF desktop = GetSysColor(COLOR_BACKGROUND);
        // The page's own first paint may still be running on the sheet's
        // thread; the checks start once it has drawn the box.
        WaitUntil([&] { repaint(); return pixel(154, 118) == white; }, 3000);

        // (844, 613, 994, 738) on the screen: x 142 to 167, y 107 to 129 in the preview.
        EXPECT_EQ(white, pixel(154, 118));
        EXPECT_EQ(white, pixel(145, 110));
        EXPECT_EQ(white, pixel(164, 126));
        EXPECT_EQ(black, pixel(142, 118));
        EXPECT_EQ(black, pixel(154, 107));
        EXPECT_EQ(black, pixel(166, 118));
        EXPECT_EQ(black, pixel(154, 128));
        EXPECT_EQ(desktop, pixel(139, 118));
        EXPECT_EQ(desktop, pixel(170, 118));
        EXPECT_EQ(desktop, pixel(154, 104));
        EXPECT_EQ(desktop, pixel(154, 132));
        EXPECT_EQ(black, pixel(0, 60)) << "the preview's outline";

        // Typing moves the box at once; off the screen it disappears.
        // The edit's own repaint runs on the sheet's thread; the checks
        // start once the box stands where the edit puts it.
        Type(page, IDC_CALENDAR_MARGIN_X, "130");
        WaitUntil([&] { repaint(); return pixel(130, 118) == white; }, 3000);
        EXPECT_EQ(desktop, pixel(154, 118));
        EXPECT_EQ(white, pixel(130, 118));
        Type(page, IDC_CALENDAR_MARGIN_X, "2000");
        WaitUntil([&] { repaint(); return pixel(130, 118) == desktop; }, 3000);
        EXPECT_EQ(desktop, pixel(130, 118));
        EXPECT_EQ(desktop, pixel(154, 118));
        PressCancel(sheet);
    });
}

}  // namespace

namespace {

TEST(CalendarNumberTest, ReadsWhatTheEditShows) {
    EXPECT_EQ(150, CalendarNumberFromText("150"));
    EXPECT_EQ(-20, CalendarNumberFromText(" -20 "));
    EXPECT_EQ(-5, CalendarNumberFromText("4294967291"));  // how -5 is shown
    EXPECT_EQ(INT32_MAX, CalendarNumberFromText("99999999999"));
    EXPECT_EQ(INT32_MIN, CalendarNumberFromText("-99999999999"));
    EXPECT_EQ(0, CalendarNumberFromText("abc"));
    EXPECT_EQ(0, CalendarNumberFromText("12x"));
    EXPECT_EQ(0, CalendarNumberFromText(""));
}

}  // namespace
