// The tray popup's menu class: loads a menu resource so that every item of
// its popups is drawn by the program, in the flat XP look (themed Windows XP)
// or the classic raised-highlight look (everywhere else).
#pragma once

#include "framework/Handle.h"
#include "framework/Menu.h"

#include <memory>
#include <string>
#include <vector>

class COwnerDrawMenu;

// One owner-drawn item; its address is the item data Windows hands back.
struct COwnerDrawMenuItem {
    std::wstring text;  // with "&" marks and, after a tab, the accelerator text
    UINT flags = 0;     // menu flags as last applied
    UINT_PTR command = 0;  // command, popup handle, or 0 for a separator
    bool seen = false;  // used while re-synchronising
    COwnerDrawMenu* menu = nullptr;  // the popup holding it
};

class COwnerDrawMenu : public CMenu {
    DECLARE_DYNAMIC(COwnerDrawMenu)
public:
    static constexpr int kPictureWidth = 16;
    static constexpr int kPictureHeight = 15;

    // Platform classes of GetPlatformClass.
    enum PlatformClass { kOldWindows = 0, kNewerNT = 1, kWin95 = 2, kWin98 = 3, kWinMe = 4,
                         kNT4 = 5, kWin2000 = 6, kWinXP = 7 };

    COwnerDrawMenu() = default;
    ~COwnerDrawMenu() override;

    void DrawItem(LPDRAWITEMSTRUCT drawItem) override;
    void MeasureItem(LPMEASUREITEMSTRUCT measureItem) override;
    BOOL LoadMenu(UINT resourceId) override;
    BOOL LoadMenu(const char* resourceName) override;
    BOOL DestroyMenu() override;

    // Brings the item records in line with the menu after its items were
    // changed from outside (the command-update pass).
    void SyncItems();
    BOOL AppendItem(const std::wstring& text, UINT flags, UINT_PTR command);
    // Pads item texts so that the accelerator texts after their tabs line up.
    void AlignAccelerators();


    // The WM_MENUCHAR answer: executes the first item whose text holds "&"
    // and the character (any case); 0 when none does.
    static LRESULT FindShortcut(UINT character, UINT menuFlags, COwnerDrawMenu* menu);
    // The object of `popup` when it is one of this menu's popups (at any
    // depth, also after the menu was detached for a window), else null.
    COwnerDrawMenu* FindPopup(HMENU popup);

    // The owner window's handling of WM_MEASUREITEM and WM_DRAWITEM: the
    // item data names the item and its popup. False for anything but an
    // owner-drawn menu item.
    static bool MeasureMenuItem(LPMEASUREITEMSTRUCT measureItem);
    static bool DrawMenuItem(LPDRAWITEMSTRUCT drawItem);

    static bool IsClassicTheme();
    // True when `themePath` names the Windows Classic theme.
    static bool IsClassicThemeName(const char* themePath);
    static int GetPlatformClass();
    // True when the flat look is in force (themed Windows XP).
    static bool IsXPStyle();

    static COLORREF Lighten(COLORREF colour, double factor);
    static COLORREF Darken(COLORREF colour, double factor);

    // Test seam: pins the platform class (-1 returns to the real one) and
    // forgets the cached theme, so both looks can be driven on any system.
    static void SetPlatformClassForTesting(int platformClass);

private:
    template <class Name>
    BOOL LoadFromResource(Name name);
    bool BuildFromTemplate(const BYTE* data, size_t size);
    void MakeTopLevelPlain();
    // Forgets the items and the popups' objects; the handle stays.
    void Empty();
    // Moves the first unseen record of `command` into `taken`, marked seen.
    COwnerDrawMenuItem* TakeUnseen(UINT_PTR command, std::unique_ptr<COwnerDrawMenuItem>& taken);

    void DrawClassic(LPDRAWITEMSTRUCT drawItem, bool forcedByPalette);
    void DrawXP(LPDRAWITEMSTRUCT drawItem);
    // The system's menu font, made once for this popup; null when it cannot be.
    HFONT MenuFont();
    int MeasureTextWidth(const std::wstring& text);

    std::vector<std::unique_ptr<COwnerDrawMenuItem>> items_;
    // The objects of the popups appended to this menu.
    std::vector<std::unique_ptr<COwnerDrawMenu>> ownedPopups_;
    FontHandle font_;
};
