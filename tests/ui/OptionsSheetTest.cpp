// The Options sheet driven as a user drives it: each page loads from the
// settings, greys and saves as described, refuses bad entries with the
// focus in the failing edit, and the Calendar page draws its preview: the
// wallpaper with a box where the calendar will be.
#include "framework/WinApp.h"
#include "res/resource.h"
#include "settings/Settings.h"
#include "support/ModalDriver.h"
#include "support/Pixels.h"
#include "support/Registry.h"
#include "support/RegistrySandbox.h"
#include "support/SheetDriver.h"
#include "support/StoredSettings.h"
#include "support/TestBitmaps.h"
#include "support/TestPaths.h"
#include "support/WaitUntil.h"
#include "ui/CalendarPlacement.h"
#include "ui/OptionsSheet.h"
#include "wallpaper/CodecBinding.h"

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

    // The message box that refused the entry in `edit`, answered; the whole
    // entry is selected and has the focus, and the page stays.
    static std::string Refusal(HWND sheet, HWND page, HWND edit) {
        MessageBoxSeen seen;
        EXPECT_TRUE(AnswerMessageBox(&seen, sheet));
        EXPECT_EQ(AfxGetApp()->m_pszAppName, seen.caption);
        EXPECT_TRUE(WaitUntil([&] { return Focus(sheet) == edit; }));
        DWORD start = 1, end = 0;
        SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        EXPECT_EQ(0u, start);
        EXPECT_EQ(static_cast<DWORD>(GetWindowTextLengthA(edit)), end);
        EXPECT_EQ(page, CurrentPage(sheet));
        return seen.text;
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

// The radios of each stored value, by that value.
const int kSetOrderRadios[] = {IDC_SET_FORWARD, IDC_SET_BACKWARD, IDC_SET_RANDOM};
const int kVistalOrderRadios[] = {IDC_VISTAL_FORWARD, IDC_VISTAL_BACKWARD, IDC_VISTAL_RANDOM};
const int kPositionRadios[] = {IDC_CENTERED, IDC_TILED, IDC_FIT_DESKTOP, IDC_MAXIMUM_FIT};

bool OnlyChecked(HWND page, const int* radios, int count, int index) {
    for (int i = 0; i < count; ++i)
        if (Checked(page, radios[i]) != (i == index)) return false;
    return true;
}

TEST_F(OptionsSheetTest, EachRadioIsStoredAsTheValueItStandsFor) {
    struct Case {
        int32_t startOrder, startPosition;  // stored before
        int order, position;                // the radios clicked; -1: every radio cleared
        int32_t storedOrder, storedPosition;
    };
    const Case cases[] = {
        {1, 1, 0, 0, 0, 0},
        {2, 2, 1, 1, 1, 1},
        {0, 3, 2, 2, 2, 2},
        {0, 0, 1, 3, 1, 3},
        {2, 1, -1, -1, 2, 3},  // none checked: the orders stay, the position is Maximum fit
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "orders " << c.order << ", position " << c.position);
        Settings.VistalSetCycleMethod = Settings.VistalCycleMethod = c.startOrder;
        Settings.VistalPosition = c.startPosition;
        Settings.VistalPeriodic = c.startPosition % 2;
        COptionsSheet sheet("Options");
        // Clicks `index` of `radios`, or clears them all for -1.
        auto choose = [](HWND page, const int* radios, int count, int index) {
            for (int i = 0; i < count; ++i) {
                if (i == index) Click(page, radios[i]);
                if (index < 0) SendMessageA(GetDlgItem(page, radios[i]), BM_SETCHECK, BST_UNCHECKED, 0);
            }
        };
        const INT_PTR result = Run(sheet, [&](HWND sheet) {
            HWND page = CurrentPage(sheet);
            EXPECT_TRUE(OnlyChecked(page, kSetOrderRadios, 3, c.startOrder));
            choose(page, kSetOrderRadios, 3, c.order);
            SelectPage(sheet, 1);
            page = CurrentPage(sheet);
            EXPECT_TRUE(OnlyChecked(page, kVistalOrderRadios, 3, c.startOrder));
            EXPECT_TRUE(OnlyChecked(page, kPositionRadios, 4, c.startPosition));
            EXPECT_EQ(c.startPosition % 2 == 1, Enabled(page, IDC_VISTAL_HOURS));
            EXPECT_EQ(c.startPosition % 2 == 1, Enabled(page, IDC_VISTAL_MINUTES_SPIN));
            choose(page, kVistalOrderRadios, 3, c.order);
            choose(page, kPositionRadios, 4, c.position);
            PressOK(sheet);
        });
        ASSERT_EQ(IDOK, result);
        sheet.ApplyOptions();
        EXPECT_EQ(c.storedOrder, StoredValue("VistalSetCycleMethod"));
        EXPECT_EQ(c.storedOrder, StoredValue("VistalCycleMethod"));
        EXPECT_EQ(c.storedPosition, StoredValue("VistalPosition"));
    }
}

TEST_F(OptionsSheetTest, ConfirmingWithoutVisitingAPageKeepsEverySetting) {
    // A value of its own for each setting; the first page, which is shown,
    // holds its flags and its order as check boxes and radios can.
    for (int i = 0; i < 24; ++i) Settings.*kStoredSettings[i].field = 100 + i;
    Settings.VistalSetPeriodic = 1;
    Settings.VistalSetStartup = 0;
    Settings.VistalSetCycleMethod = 2;
    const SettingsRecord before = Settings;
    COptionsSheet sheet("Options");
    ASSERT_EQ(IDOK, Run(sheet, [](HWND sheet) { PressOK(sheet); }));
    sheet.ApplyOptions();
    for (const StoredSetting& value : kStoredSettings) {
        EXPECT_EQ(before.*value.field, Settings.*value.field) << value.name;
        EXPECT_EQ(before.*value.field, StoredValue(value.name)) << value.name;
    }
}

TEST_F(OptionsSheetTest, IntegerEditsTakeWholeSignedNumbersAndRefuseTheRest) {
    struct Case {
        const char* typed;
        bool taken;
        int32_t value;
    };
    const Case cases[] = {
        {"500", true, 500},          {" 500 ", true, 500},         {"-4", true, -4},
        {"+7", true, 7},             {"007", true, 7},             {"2147483647", true, INT32_MAX},
        {"-2147483648", true, INT32_MIN},
        {"12x", false, 0},           {"", false, 0},               {"abc", false, 0},
        {"1 2", false, 0},           {"--5", false, 0},            {"- 5", false, 0},
        {"2147483648", false, 0},    {"-2147483649", false, 0},    {"99999999999999999999", false, 0},
    };
    Settings.VistalSetPeriodic = 1;
    COptionsSheet options("Options");
    Run(options, [&](HWND sheet) {
        HWND page = CurrentPage(sheet);
        HWND edit = GetDlgItem(page, IDC_SET_HOURS);
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string("\"") + c.typed + "\"");
            Type(page, IDC_SET_HOURS, c.typed);
            // Leaving the page saves it.
            PostMessageA(sheet, PSM_SETCURSEL, 1, 0);
            Settle(sheet);
            const bool refused = CurrentPage(sheet) == page;
            EXPECT_EQ(!c.taken, refused);
            if (refused) {
                EXPECT_EQ("Please enter an integer.", Refusal(sheet, page, edit));
            } else {
                EXPECT_EQ(c.value, options.m_vistalSetPage.m_hours);
                SelectPage(sheet, 0);
            }
        }
        PressCancel(sheet);
    });
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
            Choose(page, IDC_CALENDAR_POSITION, c.position);
            Type(page, IDC_CALENDAR_WIDTH, c.w);
            Type(page, IDC_CALENDAR_HEIGHT, c.h);
            Type(page, IDC_CALENDAR_MARGIN_X, c.mx);
            Type(page, IDC_CALENDAR_MARGIN_Y, c.my);
            PressOK(sheet);
            EXPECT_EQ(c.message, Refusal(sheet, page, GetDlgItem(page, c.edit)));
            ASSERT_TRUE(IsWindow(sheet));
        }
        // The center needs no margins.
        Choose(page, IDC_CALENDAR_POSITION, 1);
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
        Choose(page, IDC_CALENDAR_POSITION, 0);
        Type(page, IDC_CALENDAR_WIDTH, "5000");
        PressOK(sheet);
    });
    ASSERT_EQ(IDOK, result);
    EXPECT_EQ(0, sheet.m_calendarPage.m_position);
    EXPECT_EQ(5000, sheet.m_calendarPage.m_width);
    // Shown as 4294967291, read back as the value it was.
    EXPECT_EQ(-5, sheet.m_calendarPage.m_marginY);
}

// The preview as the page paints it now: its area is repainted on the
// sheet's thread before the pixels are read.
Pixels PaintedPreview(HWND page, const RECT& preview) {
    InvalidateRect(page, &preview, TRUE);
    SendMessageA(page, WM_PAINT, 0, 0);
    return Pixels::OfWindow(page, &preview);
}

TEST_F(OptionsSheetTest, CalendarPreviewShowsTheWallpaperWithABoxWhereTheCalendarFits) {
    ASSERT_TRUE(ScreenIs1024By768());
    // A wallpaper red on the left, blue on the right.
    const COLORREF red = RGB(200, 30, 40), blue = RGB(20, 60, 190);
    const std::string wallpaper = MakeTempFolder("preview") + "\\wallpaper.bmp";
    ASSERT_TRUE(WriteBmp(wallpaper, 1024, 768, [&](int x, int) { return x < 512 ? red : blue; }));
    ASSERT_TRUE(SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(wallpaper.c_str()), 0));
    BindImageLibrary();
    ASSERT_NE(nullptr, TheImageLibrary);

    struct Case {
        int position;
        const char *width, *height, *marginX, *marginY;
        RECT box;  // in a preview of 172 x 134; empty: no box
    };
    const Case cases[] = {
        // (844, 613, 994, 738) on the screen: x 142 to 167, y 107 to 129.
        {5, "150", "125", "30", "30", {142, 107, 167, 129}},
        {5, "150", "125", "130", "30", {125, 107, 151, 129}},    // (744, 613, 894, 738)
        {2, "150", "125", "30", "30", {6, 6, 31, 28}},           // (30, 30, 180, 155)
        {1, "150", "125", "5000", "-20", {74, 57, 99, 78}},      // (437, 321, 587, 446): no margins
        {0, "150", "125", "30", "30", {}},                       // no calendar
        {5, "150", "125", "2000", "30", {}},                     // off the screen's left
        {2, "150", "125", "900", "30", {}},                      // ... right
        {4, "150", "125", "30", "700", {}},                      // ... top
        {2, "150", "125", "30", "700", {}},                      // ... bottom
    };
    {  // the sheet, and the preview image with it, goes before the library
        COptionsSheet sheet("Options");
        CCalendarOptionsPage& calendar = sheet.m_calendarPage;
        Run(sheet, [&](HWND sheet) {
            SelectPage(sheet, 3);
            HWND page = CurrentPage(sheet);
            // A preview of 172 x 134 pixels at the right of the page.
            RECT client{};
            GetClientRect(page, &client);
            const RECT preview{client.right - 180, calendar.m_rcPreview.top, client.right - 8,
                               calendar.m_rcPreview.top + 134};
            calendar.m_rcPreview = preview;
            const COLORREF white = RGB(255, 255, 255), black = RGB(0, 0, 0);
            // The wallpaper's colour at x of the preview, none near its middle.
            auto wallpaperAt = [&](int x) { return x < 83 ? red : x > 89 ? blue : CLR_INVALID; };
            for (const Case& c : cases) {
                SCOPED_TRACE(testing::Message() << c.position << " " << c.width << "x" << c.height << " " << c.marginX
                                                << "," << c.marginY);
                Choose(page, IDC_CALENDAR_POSITION, c.position);
                Type(page, IDC_CALENDAR_WIDTH, c.width);
                Type(page, IDC_CALENDAR_HEIGHT, c.height);
                Type(page, IDC_CALENDAR_MARGIN_X, c.marginX);
                Type(page, IDC_CALENDAR_MARGIN_Y, c.marginY);
                const RECT& b = c.box;
                const int x = (b.left + b.right) / 2, y = (b.top + b.bottom) / 2;
                // The page repaints by itself as the values are typed.
                if (!IsRectEmpty(&b)) {
                    EXPECT_TRUE(WaitUntil([&] { return Pixels::OfWindow(page, &preview).At(x, y) == white; }, 5000))
                        << "not repainted as typed";
                }
                const Pixels shown = PaintedPreview(page, preview);
                EXPECT_EQ(red, shown.At(10, 100));
                EXPECT_EQ(blue, shown.At(160, 40));
                if (IsRectEmpty(&b)) {
                    EXPECT_EQ(0, shown.Count(white)) << "a box drawn";
                    continue;
                }
                EXPECT_EQ(white, shown.At(x, y));
                EXPECT_EQ(black, shown.At(b.left, y));
                EXPECT_EQ(black, shown.At(b.right - 1, y));
                EXPECT_EQ(black, shown.At(x, b.top));
                EXPECT_EQ(black, shown.At(x, b.bottom - 1));
                const POINT around[] = {{b.left - 3, y}, {b.right + 3, y}, {x, b.top - 3}, {x, b.bottom + 3}};
                for (POINT outside : around) {
                    if (wallpaperAt(outside.x) != CLR_INVALID) {
                        EXPECT_EQ(wallpaperAt(outside.x), shown.At(outside.x, outside.y))
                            << outside.x << "," << outside.y;
                    }
                }
            }
            PressCancel(sheet);
        });
    }
    SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(""), 0);
    UnbindImageLibrary();
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
