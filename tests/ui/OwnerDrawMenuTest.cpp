// The owner-drawn menu: loading, records, the popup registry, measuring and
// drawing in both looks, re-synchronising and keyboard shortcuts.
#include "ui/OwnerDrawMenu.h"

#include "framework/Gdi.h"
#include "framework/RegKey.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <utility>

namespace {

const char kThemeKey[] = "Software\\Microsoft\\Plus!\\Themes\\Current";

COLORREF Sys(int index) { return GetSysColor(index); }

std::wstring MenuText(HMENU menu, int position) {
    wchar_t text[128] = L"";
    GetMenuStringW(menu, position, text, 128, MF_BYPOSITION);
    return text;
}

ULONG_PTR ItemData(HMENU menu, int position) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_DATA;
    GetMenuItemInfoW(menu, position, TRUE, &info);
    return info.dwItemData;
}

// The records of a menu's items, found as Windows finds them: through the
// item data.
std::vector<COwnerDrawMenuItem*> Records(const COwnerDrawMenu& menu) {
    std::vector<COwnerDrawMenuItem*> records;
    for (int position = 0; position < menu.GetMenuItemCount(); ++position)
        records.push_back(reinterpret_cast<COwnerDrawMenuItem*>(ItemData(menu.GetSafeHmenu(), position)));
    return records;
}

UINT ItemType(HMENU menu, int position) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE;
    GetMenuItemInfoW(menu, position, TRUE, &info);
    return info.fType;
}

// Gives a system colour another value for the scope.
class ScopedSysColor {
public:
    ScopedSysColor(int index, COLORREF colour) : index_(index), old_(GetSysColor(index)) {
        SetSysColors(1, &index_, &colour);
    }
    ~ScopedSysColor() { SetSysColors(1, &index_, &old_); }
    ScopedSysColor(const ScopedSysColor&) = delete;
    ScopedSysColor& operator=(const ScopedSysColor&) = delete;
private:
    int index_;
    COLORREF old_;
};

FontHandle MenuFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0);
    return FontHandle(CreateFontIndirectW(&metrics.lfMenuFont));
}

int TextWidth(const std::wstring& text, bool menuFont) {
    ScopedGetDC dc(GetDesktopWindow());
    ScopedSaveDC saved(dc.get());
    FontHandle font = menuFont ? MenuFont() : FontHandle();
    if (font) SelectObject(dc.get(), font.get());
    SIZE size{};
    GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

// Counts pixels of `colour` in the columns [left, right) of `dc`.
int CountPixels(const CDC& dc, int left, int right, int height, COLORREF colour) {
    int count = 0;
    for (int x = left; x < right; ++x)
        for (int y = 0; y < height; ++y)
            if (::GetPixel(dc.GetSafeHdc(), x, y) == colour) ++count;
    return count;
}

class OwnerDrawMenuTest : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Microsoft\\Plus!"); }
    void TearDown() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Microsoft\\Plus!");
        COwnerDrawMenu::SetPlatformClassForTesting(-1);
    }
    static void UseXPStyle() { COwnerDrawMenu::SetPlatformClassForTesting(COwnerDrawMenu::kWinXP); }
    static void UseClassicStyle() { COwnerDrawMenu::SetPlatformClassForTesting(COwnerDrawMenu::kNewerNT); }

    // The popup object of a loaded menu.
    static COwnerDrawMenu& Popup(COwnerDrawMenu& menu, int position = 0) {
        COwnerDrawMenu* popup = menu.FindPopup(menu.GetSubMenu(position));
        EXPECT_NE(nullptr, popup);
        return *popup;
    }

    static MEASUREITEMSTRUCT Measure(COwnerDrawMenuItem& item) {
        MEASUREITEMSTRUCT measure{};
        measure.CtlType = ODT_MENU;
        measure.itemID = static_cast<UINT>(item.command);
        measure.itemData = reinterpret_cast<ULONG_PTR>(&item);
        COwnerDrawMenu().MeasureItem(&measure);
        return measure;
    }

    static void Draw(CDC& dc, COwnerDrawMenuItem& item, UINT state, int width, int height) {
        DRAWITEMSTRUCT draw{};
        draw.CtlType = ODT_MENU;
        draw.itemID = static_cast<UINT>(item.command);
        draw.itemAction = ODA_DRAWENTIRE;
        draw.itemState = state;
        draw.hDC = dc.GetSafeHdc();
        draw.rcItem = RECT{0, 0, width, height};
        draw.itemData = reinterpret_cast<ULONG_PTR>(&item);
        COwnerDrawMenu().DrawItem(&draw);
    }
};

}  // namespace

TEST_F(OwnerDrawMenuTest, TrayMenuLoadsWithPlainTopLevelAndOwnerDrawnItems) {
    COwnerDrawMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDR_TRAYMENU));
    ASSERT_EQ(1, menu.GetMenuItemCount());
    EXPECT_FALSE(GetMenuState(menu.GetSafeHmenu(), 0, MF_BYPOSITION) & MF_OWNERDRAW);
    EXPECT_EQ(L"POPUP", MenuText(menu.GetSafeHmenu(), 0));

    COwnerDrawMenu& popup = Popup(menu);
    ASSERT_EQ(18, popup.GetMenuItemCount());
    for (int position = 0; position < 18; ++position) {
        EXPECT_TRUE(popup.GetMenuState(position, MF_BYPOSITION) & MF_OWNERDRAW) << position;
        ASSERT_NE(nullptr, Records(popup)[position]) << position;
    }
    for (int separator : {2, 6, 9, 16}) {
        EXPECT_EQ(0u, Records(popup)[separator]->command);
        EXPECT_TRUE(Records(popup)[separator]->flags & MF_SEPARATOR);
    }
    EXPECT_EQ(L"Display Next &Vistal", Records(popup)[10]->text);
    EXPECT_EQ(static_cast<UINT_PTR>(ID_DISPLAY_NEXT_VISTAL), Records(popup)[10]->command);
    EXPECT_EQ(L"E&xit", Records(popup)[17]->text);
}

TEST_F(OwnerDrawMenuTest, NestedPopupsAndAlignedAccelerators) {
    COwnerDrawMenu menu;
    ASSERT_TRUE(menu.LoadMenu(900));
    ASSERT_EQ(2, menu.GetMenuItemCount());
    EXPECT_EQ(L"&Edit", MenuText(menu.GetSafeHmenu(), 1));

    COwnerDrawMenu& file = Popup(menu, 0);
    ASSERT_EQ(5, file.GetMenuItemCount());
    COwnerDrawMenu& recent = Popup(file, 1);  // a popup inside a popup is owner-drawn too
    EXPECT_TRUE(ItemType(file.GetSafeHmenu(), 1) & MFT_OWNERDRAW);
    ASSERT_EQ(2, recent.GetMenuItemCount());
    EXPECT_EQ(L"Two", Records(recent)[1]->text);
    EXPECT_TRUE(Records(file)[2]->flags & MF_SEPARATOR);
    EXPECT_EQ(903u, Records(file)[4]->command);
    ASSERT_EQ(1, Popup(menu, 1).GetMenuItemCount());

    // Labels padded with spaces up to the widest label plus a space.
    const std::wstring open = Records(file)[0]->text;
    const std::wstring save = Records(file)[3]->text;
    const size_t openTab = open.find(L'\t');
    ASSERT_NE(std::wstring::npos, openTab);
    EXPECT_EQ(L"\tCtrl+O", open.substr(openTab));
    EXPECT_EQ(L"&Open ", open.substr(0, 6));
    EXPECT_EQ(L"\tCtrl+Shift+S", save.substr(save.find(L'\t')));
    const int widest = TextWidth(L"Save &All Pictures ", true);
    EXPECT_GE(TextWidth(open.substr(0, openTab), true), widest);
    EXPECT_LT(TextWidth(open.substr(0, openTab - 1), true), widest);
    EXPECT_EQ(L"E&xit", Records(file)[4]->text);  // no tab, left alone
}

TEST_F(OwnerDrawMenuTest, ReloadingAndDestroyingLeaveNoPopupBehind) {
    COwnerDrawMenu menu;
    ASSERT_TRUE(menu.LoadMenu(900));
    HMENU file = menu.GetSubMenu(0);
    HMENU recent = GetSubMenu(file, 1);
    ASSERT_NE(nullptr, menu.FindPopup(recent));

    ASSERT_TRUE(menu.LoadMenu(IDR_TRAYMENU));
    EXPECT_EQ(nullptr, menu.FindPopup(file));
    EXPECT_EQ(nullptr, menu.FindPopup(recent));
    EXPECT_FALSE(IsMenu(file));
    HMENU tray = menu.GetSubMenu(0);
    EXPECT_NE(nullptr, menu.FindPopup(tray));

    // A missing resource changes nothing.
    EXPECT_FALSE(menu.LoadMenu(4242));
    EXPECT_EQ(tray, menu.GetSubMenu(0));

    EXPECT_TRUE(menu.DestroyMenu());
    EXPECT_EQ(nullptr, menu.FindPopup(tray));
    EXPECT_FALSE(IsMenu(tray));
    EXPECT_EQ(nullptr, menu.GetSafeHmenu());
}

TEST_F(OwnerDrawMenuTest, DetachedMenuKeepsItsPopupsForItsWindow) {
    COwnerDrawMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDR_TRAYMENU));
    MenuHandle windowMenu(menu.Detach());  // as the main frame does
    HMENU popup = GetSubMenu(windowMenu.get(), 0);
    EXPECT_NE(nullptr, menu.FindPopup(popup));
    // Destroying the object later must not free the window's popups under it.
    menu.DestroyMenu();
    EXPECT_TRUE(IsMenu(popup));
    EXPECT_EQ(nullptr, menu.FindPopup(popup));
}

TEST_F(OwnerDrawMenuTest, SeparatorsAndItemsMeasureByStyle) {
    COwnerDrawMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDR_TRAYMENU));
    COwnerDrawMenu& popup = Popup(menu);
    COwnerDrawMenuItem& separator = *Records(popup)[2];
    COwnerDrawMenuItem& item = *Records(popup)[10];
    const int menuHeight = GetSystemMetrics(SM_CYMENU);

    UseXPStyle();
    ASSERT_TRUE(COwnerDrawMenu::IsXPStyle());
    MEASUREITEMSTRUCT measured = Measure(separator);
    EXPECT_EQ(0u, measured.itemWidth);
    EXPECT_EQ(3u, measured.itemHeight);
    measured = Measure(item);
    EXPECT_EQ(static_cast<UINT>(TextWidth(item.text, true) + 31), measured.itemWidth);
    EXPECT_EQ(static_cast<UINT>(std::max(menuHeight, 22)), measured.itemHeight);

    UseClassicStyle();
    ASSERT_FALSE(COwnerDrawMenu::IsXPStyle());
    measured = Measure(separator);
    EXPECT_EQ(0u, measured.itemWidth);
    EXPECT_GE(measured.itemHeight, 9u);
    EXPECT_EQ(static_cast<UINT>(std::max(menuHeight / 2, 9)), measured.itemHeight);
    measured = Measure(item);
    // Newer systems measure in the context's own font.
    EXPECT_EQ(static_cast<UINT>(TextWidth(item.text, false) + 33), measured.itemWidth);
    EXPECT_EQ(static_cast<UINT>(std::max(menuHeight, 19)), measured.itemHeight);
}

TEST_F(OwnerDrawMenuTest, ClassicThemeOnXPSelectsTheClassicStyle) {
    RegKey key;
    ASSERT_TRUE(key.Create(HKEY_CURRENT_USER, kThemeKey, KEY_WRITE));
    const char theme[] = "C:\\WINDOWS\\Resources\\Themes\\WINDOWS CLASSIC.THEME";
    RegSetValueExA(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(theme), sizeof theme);
    UseXPStyle();  // also forgets the cached theme
    EXPECT_TRUE(COwnerDrawMenu::IsClassicTheme());
    EXPECT_FALSE(COwnerDrawMenu::IsXPStyle());

    const char luna[] = "C:\\WINDOWS\\Resources\\Themes\\Luna.theme";
    RegSetValueExA(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(luna), sizeof luna);
    EXPECT_TRUE(COwnerDrawMenu::IsClassicTheme());  // computed once, then kept
    UseXPStyle();
    EXPECT_FALSE(COwnerDrawMenu::IsClassicTheme());
    EXPECT_TRUE(COwnerDrawMenu::IsXPStyle());

    EXPECT_TRUE(COwnerDrawMenu::IsClassicThemeName("windows classic.theme"));
    EXPECT_FALSE(COwnerDrawMenu::IsClassicThemeName("Classic.theme"));
    EXPECT_FALSE(COwnerDrawMenu::IsClassicThemeName("Windows Classic.theme.old"));
    EXPECT_FALSE(COwnerDrawMenu::IsClassicThemeName(""));
}

TEST_F(OwnerDrawMenuTest, LightenAndDarkenTruncate) {
    EXPECT_EQ(RGB(249, 249, 249), COwnerDrawMenu::Darken(RGB(255, 255, 255), 0.02));
    EXPECT_EQ(RGB(178, 178, 216), COwnerDrawMenu::Lighten(RGB(0, 0, 128), 0.7));
    EXPECT_EQ(RGB(255, 255, 255), COwnerDrawMenu::Lighten(RGB(10, 20, 30), 1.0));
    EXPECT_EQ(RGB(0, 0, 0), COwnerDrawMenu::Darken(RGB(10, 20, 30), 1.0));
    EXPECT_EQ(RGB(10, 20, 30), COwnerDrawMenu::Lighten(RGB(10, 20, 30), 0.0));
    EXPECT_EQ(RGB(10, 20, 30), COwnerDrawMenu::Darken(RGB(10, 20, 30), 1.5));
}

TEST_F(OwnerDrawMenuTest, ClassicDrawingOfItemsAndSeparators) {
    UseClassicStyle();
    ScopedGetDC screen(nullptr);
    constexpr int kWidth = 200, kHeight = 20;
    CMemoryDC dc(screen.get(), kWidth, kHeight);
    ASSERT_TRUE(dc);
    COwnerDrawMenuItem item{L"&Open\tCtrl+O", MF_OWNERDRAW, 901};

    Draw(dc, item, ODS_SELECTED, kWidth, kHeight);
    EXPECT_EQ(Sys(COLOR_HIGHLIGHT), ::GetPixel(dc.GetSafeHdc(), 2, 2));
    EXPECT_EQ(0, CountPixels(dc, 0, 25, kHeight, Sys(COLOR_HIGHLIGHTTEXT)));
    EXPECT_GT(CountPixels(dc, 25, 60, kHeight, Sys(COLOR_HIGHLIGHTTEXT)), 0);  // label
    EXPECT_GT(CountPixels(dc, 120, 184, kHeight, Sys(COLOR_HIGHLIGHTTEXT)), 0);  // accelerator
    EXPECT_EQ(0, CountPixels(dc, 184, kWidth, kHeight, Sys(COLOR_HIGHLIGHTTEXT)));

    // Disabled: engraved in two colours on the menu colour (made distinct
    // from the light one, which may be the same).
    {
        ScopedSysColor menuColour(COLOR_MENU, RGB(200, 190, 180));
        Draw(dc, item, ODS_GRAYED, kWidth, kHeight);
        EXPECT_EQ(RGB(200, 190, 180), ::GetPixel(dc.GetSafeHdc(), 2, 2));
        EXPECT_GT(CountPixels(dc, 25, 60, kHeight, Sys(COLOR_GRAYTEXT)), 0);
        EXPECT_GT(CountPixels(dc, 25, 60, kHeight, Sys(COLOR_BTNHIGHLIGHT)), 0);
        EXPECT_EQ(0, CountPixels(dc, 0, 25, kHeight, Sys(COLOR_BTNHIGHLIGHT)));
    }

    // Disabled and selected: highlighted, the text in the menu colour.
    Draw(dc, item, ODS_GRAYED | ODS_SELECTED, kWidth, kHeight);
    EXPECT_EQ(Sys(COLOR_HIGHLIGHT), ::GetPixel(dc.GetSafeHdc(), 2, 2));
    EXPECT_GT(CountPixels(dc, 25, 60, kHeight, Sys(COLOR_MENU)), 0);
    EXPECT_EQ(0, CountPixels(dc, 0, kWidth, kHeight, Sys(COLOR_GRAYTEXT)));

    COwnerDrawMenuItem separator{L"", MF_OWNERDRAW | MF_SEPARATOR, 0};
    Draw(dc, separator, 0, kWidth, 10);
    EXPECT_EQ(Sys(COLOR_MENU), ::GetPixel(dc.GetSafeHdc(), 100, 2));
    EXPECT_EQ(Sys(COLOR_BTNSHADOW), ::GetPixel(dc.GetSafeHdc(), 100, 5));
    EXPECT_EQ(Sys(COLOR_BTNHIGHLIGHT), ::GetPixel(dc.GetSafeHdc(), 100, 6));
    EXPECT_EQ(Sys(COLOR_MENU), ::GetPixel(dc.GetSafeHdc(), 100, 8));
}

TEST_F(OwnerDrawMenuTest, XPDrawingOfItemsAndSeparators) {
    UseXPStyle();
    ScopedGetDC screen(nullptr);
    constexpr int kWidth = 200, kHeight = 22;
    CMemoryDC dc(screen.get(), kWidth, kHeight);
    ASSERT_TRUE(dc);
    const COLORREF background = COwnerDrawMenu::Darken(Sys(COLOR_WINDOW), 0.02);
    const COLORREF selection = COwnerDrawMenu::Lighten(Sys(COLOR_HIGHLIGHT), 0.7);
    COwnerDrawMenuItem item{L"&Options...", MF_OWNERDRAW, 32771};

    Draw(dc, item, 0, kWidth, kHeight);
    EXPECT_EQ(Sys(COLOR_BTNFACE), ::GetPixel(dc.GetSafeHdc(), 5, 5));  // picture column
    EXPECT_EQ(Sys(COLOR_BTNFACE), ::GetPixel(dc.GetSafeHdc(), 22, 5));
    EXPECT_EQ(background, ::GetPixel(dc.GetSafeHdc(), 23, 5));
    EXPECT_EQ(background, ::GetPixel(dc.GetSafeHdc(), 195, 2));
    EXPECT_EQ(0, CountPixels(dc, 0, 31, kHeight, Sys(COLOR_MENUTEXT)));
    EXPECT_GT(CountPixels(dc, 31, 120, kHeight, Sys(COLOR_MENUTEXT)), 0);

    Draw(dc, item, ODS_SELECTED, kWidth, kHeight);
    EXPECT_EQ(Sys(COLOR_HIGHLIGHT), ::GetPixel(dc.GetSafeHdc(), 0, 0));
    EXPECT_EQ(Sys(COLOR_HIGHLIGHT), ::GetPixel(dc.GetSafeHdc(), kWidth - 1, kHeight - 1));
    EXPECT_EQ(selection, ::GetPixel(dc.GetSafeHdc(), 5, 5));
    EXPECT_EQ(selection, ::GetPixel(dc.GetSafeHdc(), 195, 2));
    EXPECT_GT(CountPixels(dc, 31, 120, kHeight, Sys(COLOR_MENUTEXT)), 0);  // same text colour

    // Disabled items are never shown selected.
    Draw(dc, item, ODS_SELECTED | ODS_GRAYED, kWidth, kHeight);
    EXPECT_EQ(Sys(COLOR_BTNFACE), ::GetPixel(dc.GetSafeHdc(), 5, 5));
    EXPECT_EQ(background, ::GetPixel(dc.GetSafeHdc(), 195, 2));
    EXPECT_GT(CountPixels(dc, 31, 120, kHeight, Sys(COLOR_GRAYTEXT)), 0);
    EXPECT_EQ(0, CountPixels(dc, 0, kWidth, kHeight, Sys(COLOR_MENUTEXT)));

    COwnerDrawMenuItem separator{L"", MF_OWNERDRAW | MF_SEPARATOR, 0};
    Draw(dc, separator, 0, kWidth, 3);
    EXPECT_EQ(Sys(COLOR_BTNFACE), ::GetPixel(dc.GetSafeHdc(), 5, 1));
    EXPECT_EQ(background, ::GetPixel(dc.GetSafeHdc(), 26, 1));  // the line starts 7 pixels after the column
    EXPECT_EQ(Sys(COLOR_BTNSHADOW), ::GetPixel(dc.GetSafeHdc(), 30, 1));
    EXPECT_EQ(Sys(COLOR_BTNSHADOW), ::GetPixel(dc.GetSafeHdc(), 199, 1));
    EXPECT_EQ(background, ::GetPixel(dc.GetSafeHdc(), 100, 0));
}

TEST_F(OwnerDrawMenuTest, SyncItemsFollowsChangesMadeFromOutside) {
    COwnerDrawMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDR_TRAYMENU));
    COwnerDrawMenu& popup = Popup(menu);
    const COwnerDrawMenuItem* exitRecord = Records(popup)[17];

    SetMenuDefaultItem(popup.GetSafeHmenu(), 10, TRUE);
    EnableMenuItem(popup.GetSafeHmenu(), 10, MF_BYPOSITION | MF_GRAYED);
    InsertMenuW(popup.GetSafeHmenu(), 3, MF_BYPOSITION | MF_STRING, 555, L"&Inserted");
    RemoveMenu(popup.GetSafeHmenu(), 0, MF_BYPOSITION);  // "&About Vistals..."
    popup.SyncItems();

    const std::vector<COwnerDrawMenuItem*> records = Records(popup);
    ASSERT_EQ(18u, records.size());
    EXPECT_EQ(L"&Inserted", records[2]->text);
    EXPECT_EQ(555u, records[2]->command);
    EXPECT_TRUE(popup.GetMenuState(2, MF_BYPOSITION) & MF_OWNERDRAW);
    EXPECT_TRUE(records[10]->flags & MF_GRAYED);  // "Display Next &Vistal", now position 10 again
    EXPECT_EQ(static_cast<UINT_PTR>(ID_DISPLAY_NEXT_VISTAL), records[10]->command);
    EXPECT_FALSE(records[11]->flags & MF_GRAYED);
    EXPECT_EQ(10u, GetMenuDefaultItem(popup.GetSafeHmenu(), TRUE, GMDI_USEDISABLED));  // the default survives
    EXPECT_EQ(exitRecord, records[17]);  // unchanged items keep their records
    for (const COwnerDrawMenuItem* item : records) EXPECT_NE(static_cast<UINT_PTR>(ID_APP_ABOUT), item->command);
}

TEST_F(OwnerDrawMenuTest, FindShortcutRunsTheFirstMatchingItem) {
    COwnerDrawMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    menu.AppendItem(L"&Alpha", 0, 1);
    menu.AppendItem(L"", 0, 0);
    menu.AppendItem(L"&alpha again", 0, 2);
    menu.AppendItem(L"Print\tCtrl+&P", 0, 3);

    EXPECT_EQ(MAKELRESULT(0, MNC_EXECUTE), COwnerDrawMenu::FindShortcut('a', MF_POPUP, &menu));
    EXPECT_EQ(MAKELRESULT(0, MNC_EXECUTE), COwnerDrawMenu::FindShortcut('A', MF_POPUP, &menu));
    EXPECT_EQ(MAKELRESULT(3, MNC_EXECUTE), COwnerDrawMenu::FindShortcut('p', MF_POPUP, &menu));
    EXPECT_EQ(0, COwnerDrawMenu::FindShortcut('z', MF_POPUP, &menu));
    EXPECT_EQ(0, COwnerDrawMenu::FindShortcut('a', 0, &menu));  // not a popup
    EXPECT_EQ(0, COwnerDrawMenu::FindShortcut('a', MF_POPUP, nullptr));

    // An item added behind the object's back is found after re-synchronising.
    AppendMenuW(menu.GetSafeHmenu(), MF_STRING, 4, L"&Zulu");
    EXPECT_EQ(MAKELRESULT(4, MNC_EXECUTE), COwnerDrawMenu::FindShortcut('z', MF_POPUP, &menu));
}

// A checked item shows a mark in its picture cell, in the colours of its
// text (grey when disabled, engraved in the classic look); an unchecked one
// leaves the cell empty.
TEST_F(OwnerDrawMenuTest, CheckMarkIsDrawnInThePictureCell) {
    ScopedGetDC screen(nullptr);
    constexpr int kWidth = 200, kHeight = 22;
    CMemoryDC dc(screen.get(), kWidth, kHeight);
    ASSERT_TRUE(dc);
    COwnerDrawMenuItem item{L"Pa&use Changes", MF_OWNERDRAW, 32781};
    struct Look {
        const char* name;
        void (*use)();
        int cellWidth;  // where the text begins: 23 + 8 in the XP look, 16 + 9 in the classic one
    };
    for (const Look& look : {Look{"XP", UseXPStyle, 31}, Look{"classic", UseClassicStyle, 25}}) {
        SCOPED_TRACE(look.name);
        look.use();
        Draw(dc, item, 0, kWidth, kHeight);
        EXPECT_EQ(0, CountPixels(dc, 0, look.cellWidth, kHeight, Sys(COLOR_MENUTEXT)));

        Draw(dc, item, ODS_CHECKED, kWidth, kHeight);
        const int mark = CountPixels(dc, 0, look.cellWidth, kHeight, Sys(COLOR_MENUTEXT));
        EXPECT_GE(mark, 12);
        EXPECT_EQ(0, CountPixels(dc, 0, 4, kHeight, Sys(COLOR_MENUTEXT)));  // centred, not at the edge
        EXPECT_GT(CountPixels(dc, look.cellWidth, kWidth, kHeight, Sys(COLOR_MENUTEXT)), 0);  // the text still

        Draw(dc, item, ODS_CHECKED | ODS_GRAYED, kWidth, kHeight);
        EXPECT_EQ(0, CountPixels(dc, 0, kWidth, kHeight, Sys(COLOR_MENUTEXT)));
        EXPECT_GE(CountPixels(dc, 0, look.cellWidth, kHeight, Sys(COLOR_GRAYTEXT)), mark / 2);
    }
    Draw(dc, item, ODS_CHECKED | ODS_SELECTED, kWidth, kHeight);  // classic: on the highlight
    EXPECT_GE(CountPixels(dc, 0, 25, kHeight, Sys(COLOR_HIGHLIGHTTEXT)), 12);
}

// The keys the help names for the commands about the picture on show: each
// runs its own item.
TEST_F(OwnerDrawMenuTest, EachPictureCommandHasAKeyOfItsOwn) {
    COwnerDrawMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDR_TRAYMENU));
    COwnerDrawMenu& popup = Popup(menu);
    const std::pair<char, UINT> keys[] = {{'p', ID_DISPLAY_PREVIOUS_VISTAL}, {'U', ID_PAUSE_CHANGES},
                                          {'f', ID_SHOW_IN_FOLDER}, {'r', ID_REMOVE_FROM_SET}};
    for (const auto& [key, command] : keys) {
        const LRESULT result = COwnerDrawMenu::FindShortcut(key, MF_POPUP, &popup);
        ASSERT_EQ(MNC_EXECUTE, HIWORD(result)) << key;
        EXPECT_EQ(command, Records(popup)[LOWORD(result)]->command) << key;
    }
}
