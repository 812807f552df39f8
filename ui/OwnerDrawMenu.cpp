#include "ui/OwnerDrawMenu.h"

#include "framework/Gdi.h"
#include "framework/RegKey.h"
#include "framework/WinApp.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace {

// Room around the picture cell; the XP look is more generous.
constexpr int kSpacingXP = 7;
constexpr int kSpacingClassic = 4;
// The classic text starts after the picture cell and this gap.
constexpr int kClassicTextGap = 9;
// The XP picture column and the gap between it and the text.
constexpr int kColumnWidth = COwnerDrawMenu::kPictureWidth + kSpacingXP;
constexpr int kXPTextGap = 8;
// Accelerator texts keep this distance from the right edge.
constexpr int kAcceleratorMargin = 16;

const char kThemeKey[] = "Software\\Microsoft\\Plus!\\Themes\\Current";
const char kClassicThemeSuffix[] = "Windows Classic.theme";

int g_platformClassOverride = -1;
int g_classicTheme = -1;  // unknown until first asked

std::wstring ToLower(std::wstring text) {
    if (!text.empty()) CharLowerBuffW(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

template <class String>
String LabelOf(const String& text) {
    return text.substr(0, text.find('\t'));
}

FontHandle CreateMenuFont() {
    NONCLIENTMETRICSW metrics{};
    // The size without the Vista field, which older systems refuse.
    metrics.cbSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) return FontHandle();
    return FontHandle(CreateFontIndirectW(&metrics.lfMenuFont));
}

HWND MeasuringWindow() {
    CWnd* main = AfxGetMainWnd();
    return main && main->m_hWnd ? main->m_hWnd : GetDesktopWindow();
}

int ItemSpacing(bool xpStyle) {
    return xpStyle ? kSpacingXP : kSpacingClassic;
}

BYTE TowardWhite(BYTE c, double factor) {
    return static_cast<BYTE>(c + factor * (255 - c));
}

BYTE TowardBlack(BYTE c, double factor) {
    return static_cast<BYTE>(c - factor * c);
}

// The label before the first tab, and the accelerator text after the last
// one, right-aligned a little inside the right edge.
void DrawItemText(CDC& dc, const RECT& rect, const std::wstring& text, COLORREF colour) {
    dc.SetTextColor(colour);
    const std::wstring label = LabelOf(text);
    RECT labelRect = rect;
    dc.DrawText(label.c_str(), static_cast<int>(label.size()), &labelRect, DT_SINGLELINE | DT_VCENTER);

    const size_t lastTab = text.rfind(L'\t');
    if (lastTab == std::wstring::npos) return;
    const std::wstring accelerator = text.substr(lastTab + 1);
    RECT acceleratorRect = rect;
    acceleratorRect.right -= kAcceleratorMargin;
    dc.DrawText(accelerator.c_str(), static_cast<int>(accelerator.size()), &acceleratorRect,
                DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
}

// A check mark centred in the picture cell: a short stroke down and a longer
// one up, each column three pixels high.
void DrawCheckMark(CDC& dc, const RECT& cell, COLORREF colour) {
    constexpr int kMarkWidth = 7, kMarkHeight = 7, kStroke = 3;
    static_assert(kMarkWidth <= COwnerDrawMenu::kPictureWidth && kMarkHeight <= COwnerDrawMenu::kPictureHeight,
                  "items are measured with room for the picture cell");
    const int left = cell.left + (cell.right - cell.left - kMarkWidth) / 2;
    const int top = cell.top + (cell.bottom - cell.top - kMarkHeight) / 2;
    for (int x = 0; x < kMarkWidth; ++x) {
        const int y = x <= 2 ? 2 + x : kMarkWidth - 1 - x;
        dc.FillSolidRect(RECT{left + x, top + y, left + x + 1, top + y + kStroke}, colour);
    }
}

// What an item shows in one colour: its check mark, when it has one, in the
// picture cell, and its text.
void DrawItemFace(CDC& dc, const RECT& cell, const RECT& textRect, const std::wstring& text, bool checked,
                  COLORREF colour) {
    if (checked) DrawCheckMark(dc, cell, colour);
    DrawItemText(dc, textRect, text, colour);
}

int PlatformClassOf(DWORD platformId, DWORD major, DWORD minor) {
    if (platformId == VER_PLATFORM_WIN32_NT) {
        if (major == 4) return COwnerDrawMenu::kNT4;
        if (major == 5 && minor == 0) return COwnerDrawMenu::kWin2000;
        if (major == 5 && minor == 1) return COwnerDrawMenu::kWinXP;
        return COwnerDrawMenu::kNewerNT;
    }
    if (platformId == VER_PLATFORM_WIN32_WINDOWS) {
        if (major < 4) return COwnerDrawMenu::kOldWindows;
        if (major == 4 && minor == 10) return COwnerDrawMenu::kWin98;
        if (major == 4 && minor == 90) return COwnerDrawMenu::kWinMe;
        return COwnerDrawMenu::kWin95;
    }
    return COwnerDrawMenu::kOldWindows;
}

RECT Offset(RECT rect, int dx, int dy) {
    OffsetRect(&rect, dx, dy);
    return rect;
}

}  // namespace

IMPLEMENT_DYNAMIC(COwnerDrawMenu, CMenu)

COwnerDrawMenu::~COwnerDrawMenu() {
    DestroyMenu();
}

// ---- Loading -------------------------------------------------------------

BOOL COwnerDrawMenu::LoadMenu(UINT resourceId) {
    return LoadFromResource(MAKEINTRESOURCEA(resourceId));
}

BOOL COwnerDrawMenu::LoadMenu(const char* resourceName) {
    return LoadFromResource(resourceName);
}

template <class Name>
BOOL COwnerDrawMenu::LoadFromResource(Name name) {
    HMODULE module = AfxGetInstanceHandle();
    HRSRC resource = FindResourceA(module, name, RT_MENU);
    if (!resource) {
        module = GetModuleHandleA(nullptr);
        resource = FindResourceA(module, name, RT_MENU);
    }
    if (!resource) return FALSE;
    HGLOBAL loaded = LoadResource(module, resource);
    const auto* data = static_cast<const BYTE*>(loaded ? LockResource(loaded) : nullptr);
    const DWORD size = SizeofResource(module, resource);
    if (!data) return FALSE;

    DestroyMenu();
    if (!CreateMenu()) return FALSE;
    if (!BuildFromTemplate(data, size)) {
        DestroyMenu();
        return FALSE;
    }
    MakeTopLevelPlain();
    return TRUE;
}

// Walks a standard menu template: a header (version, offset), then items of
// a flags word, a command word (not for popups) and a zero-terminated text;
// MF_END closes a level.
bool COwnerDrawMenu::BuildFromTemplate(const BYTE* data, size_t size) {
    const BYTE* const end = data + size;
    auto readWord = [&](const BYTE*& p, WORD& value) {
        if (end - p < 2) return false;
        std::memcpy(&value, p, 2);
        p += 2;
        return true;
    };
    auto readText = [&](const BYTE*& p, std::wstring& text) {
        text.clear();
        for (WORD c = 0;;) {
            if (!readWord(p, c)) return false;
            if (c == 0) return true;
            text += static_cast<wchar_t>(c);
        }
    };

    const BYTE* p = data;
    WORD version = 0, offset = 0;
    if (!readWord(p, version) || !readWord(p, offset) || version != 0) return false;
    if (static_cast<size_t>(end - p) < offset) return false;
    p += offset;

    struct Level {
        COwnerDrawMenu* menu;
        bool ends;
    };
    std::vector<Level> levels{{this, false}};
    while (!levels.empty()) {
        WORD flags = 0, command = 0;
        std::wstring text;
        if (!readWord(p, flags)) return false;
        if (!(flags & MF_POPUP) && !readWord(p, command)) return false;
        if (!readText(p, text)) return false;
        const UINT itemFlags = flags & ~static_cast<UINT>(MF_END);
        COwnerDrawMenu* current = levels.back().menu;

        if (flags & MF_POPUP) {
            if (flags & MF_END) levels.back().ends = true;
            auto popup = std::make_unique<COwnerDrawMenu>();
            if (!popup->CreatePopupMenu()) return false;
            COwnerDrawMenu* opened = popup.get();
            current->ownedPopups_.push_back(std::move(popup));
            if (!current->AppendItem(text, itemFlags, reinterpret_cast<UINT_PTR>(opened->GetSafeHmenu()))) return false;
            levels.push_back({opened, false});
            continue;
        }
        if (!current->AppendItem(text, itemFlags, command)) return false;
        if (flags & MF_END) levels.back().ends = true;
        while (!levels.empty() && levels.back().ends) {
            levels.back().menu->AlignAccelerators();
            levels.pop_back();
        }
    }
    return true;
}

// Only the popups are owner-drawn: the entries of the top level go back to
// plain text.
void COwnerDrawMenu::MakeTopLevelPlain() {
    for (size_t position = 0; position < items_.size(); ++position) {
        COwnerDrawMenuItem& item = *items_[position];
        UINT flags = MF_BYPOSITION;
        if (item.flags & MF_POPUP) flags |= MF_POPUP;
        else if (item.command == 0) flags |= MF_SEPARATOR;
        else flags |= MF_STRING;
        if (ModifyMenu(static_cast<UINT>(position), flags, item.command, item.text.c_str())) item.flags = flags;
    }
}

BOOL COwnerDrawMenu::AppendItem(const std::wstring& text, UINT flags, UINT_PTR command) {
    if (!GetSafeHmenu()) return FALSE;
    if (command == 0) flags = (flags & MF_BYPOSITION) | MF_SEPARATOR | MF_OWNERDRAW;
    else flags |= MF_OWNERDRAW;

    auto item = std::make_unique<COwnerDrawMenuItem>();
    item->menu = this;
    item->text = text;
    item->flags = flags;
    item->command = command;
    if (!AppendMenu(flags, command, reinterpret_cast<const wchar_t*>(item.get()))) return FALSE;
    items_.push_back(std::move(item));
    return TRUE;
}

void COwnerDrawMenu::AlignAccelerators() {
    const bool anyTab = std::any_of(items_.begin(), items_.end(),
                                    [](const auto& item) { return item->text.find(L'\t') != std::wstring::npos; });
    if (!anyTab) return;

    ScopedGetDC dc(MeasuringWindow());
    if (!dc.get()) return;
    ScopedSaveDC saved(dc.get());
    if (HFONT font = MenuFont()) SelectObject(dc.get(), font);
    auto widthOf = [&](const std::wstring& text) {
        SIZE size{};
        GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
        return static_cast<int>(size.cx);
    };

    int widest = 0;
    for (const auto& item : items_) widest = std::max(widest, widthOf(LabelOf(item->text) + L' '));

    for (auto& item : items_) {
        const size_t tab = item->text.find(L'\t');
        if (tab == std::wstring::npos) continue;
        std::wstring label = item->text.substr(0, tab);
        // Bounded, in case a font measures spaces as nothing.
        for (int spaces = 0; spaces < 256 && widthOf(label) < widest; ++spaces) label += L' ';
        item->text = label + item->text.substr(tab);
    }
}

// ---- Destruction ---------------------------------------------------------

BOOL COwnerDrawMenu::DestroyMenu() {
    Empty();
    // Destroying a menu destroys the popups inside it as well.
    return CMenu::DestroyMenu();
}

void COwnerDrawMenu::Empty() {
    for (auto& popup : ownedPopups_) {
        popup->Empty();
        // The parent menu holds the popup's handle and destroys it with itself.
        static_cast<void>(popup->Detach());
    }
    ownedPopups_.clear();
    items_.clear();
    font_.reset();
}

// ---- Re-synchronising ----------------------------------------------------

COwnerDrawMenuItem* COwnerDrawMenu::TakeUnseen(UINT_PTR command, std::unique_ptr<COwnerDrawMenuItem>& taken) {
    for (auto& item : items_) {
        if (item && !item->seen && item->command == command) {
            item->seen = true;
            taken = std::move(item);
            return taken.get();
        }
    }
    return nullptr;
}

void COwnerDrawMenu::SyncItems() {
    if (!GetSafeHmenu()) return;
    // Modifying an item clears its default state, which GetMenuState does
    // not report: keep the default item across the re-application.
    const UINT defaultPosition = GetMenuDefaultItem(GetSafeHmenu(), TRUE, GMDI_USEDISABLED);
    for (auto& item : items_)
        if (item) item->seen = false;

    std::vector<std::unique_ptr<COwnerDrawMenuItem>> synced;
    const int count = GetMenuItemCount();
    for (int position = 0; position < count; ++position) {
        const UINT byPosition = static_cast<UINT>(position);
        const UINT state = GetMenuState(byPosition, MF_BYPOSITION);
        wchar_t buffer[256] = L"";
        GetMenuString(byPosition, buffer, 256, MF_BYPOSITION);
        const std::wstring text = buffer;

        std::unique_ptr<COwnerDrawMenuItem> item;
        if (HMENU popup = GetSubMenu(position)) {
            const auto handle = reinterpret_cast<UINT_PTR>(popup);
            if (TakeUnseen(handle, item)) {
                if (!text.empty()) item->text = text;
            } else {
                item = std::make_unique<COwnerDrawMenuItem>();
                item->menu = this;
                item->text = text;
                item->command = handle;
                item->flags = (state & ~static_cast<UINT>(MF_POPUP | 0xFF00)) | MF_BYPOSITION | MF_OWNERDRAW | MF_POPUP;
                ModifyMenu(byPosition, item->flags, handle, reinterpret_cast<const wchar_t*>(item.get()));
            }
        } else if (state & MF_SEPARATOR) {
            if (!TakeUnseen(0, item)) {
                item = std::make_unique<COwnerDrawMenuItem>();
                item->menu = this;
                item->flags = state | MF_SEPARATOR | MF_BYPOSITION | MF_OWNERDRAW;
            }
            ModifyMenu(byPosition, item->flags, 0, reinterpret_cast<const wchar_t*>(item.get()));
        } else {
            const UINT command = GetMenuItemID(position);
            if (!TakeUnseen(command, item)) {
                item = std::make_unique<COwnerDrawMenuItem>();
                item->menu = this;
                item->command = command;
            }
            item->flags = state | MF_BYPOSITION | MF_OWNERDRAW;
            if (!text.empty()) item->text = text;
            ModifyMenu(byPosition, item->flags, command, reinterpret_cast<const wchar_t*>(item.get()));
        }
        synced.push_back(std::move(item));
    }
    // What was not seen has no item any more.
    items_ = std::move(synced);
    if (defaultPosition != static_cast<UINT>(-1)) SetDefaultItem(defaultPosition, TRUE);
}

// ---- Keyboard ------------------------------------------------------------

LRESULT COwnerDrawMenu::FindShortcut(UINT character, UINT menuFlags, COwnerDrawMenu* menu) {
    if (!menu || !menu->GetSafeHmenu() || !(menuFlags & MF_POPUP)) return 0;
    // The owner is a narrow-character window: the character is in the
    // system's code page.
    const char narrow = static_cast<char>(character);
    wchar_t wide = 0;
    if (MultiByteToWideChar(CP_ACP, 0, &narrow, 1, &wide, 1) != 1) return 0;
    const std::wstring mnemonic = ToLower(std::wstring{L'&', wide});

    if (menu->GetMenuItemCount() != static_cast<int>(menu->items_.size())) menu->SyncItems();
    for (size_t position = 0; position < menu->items_.size(); ++position) {
        if (ToLower(menu->items_[position]->text).find(mnemonic) != std::wstring::npos)
            return MAKELRESULT(position, MNC_EXECUTE);
    }
    return 0;
}

COwnerDrawMenu* COwnerDrawMenu::FindPopup(HMENU popup) {
    if (!popup) return nullptr;
    for (auto& owned : ownedPopups_) {
        if (owned->GetSafeHmenu() == popup) return owned.get();
        if (COwnerDrawMenu* found = owned->FindPopup(popup)) return found;
    }
    return nullptr;
}

// ---- Platform and look ---------------------------------------------------

bool COwnerDrawMenu::IsClassicThemeName(const char* themePath) {
    if (!themePath) return false;
    const size_t length = std::strlen(themePath);
    const size_t suffix = sizeof kClassicThemeSuffix - 1;
    return length >= suffix && _stricmp(themePath + length - suffix, kClassicThemeSuffix) == 0;
}

bool COwnerDrawMenu::IsClassicTheme() {
    if (g_classicTheme < 0) {
        RegKey key;
        CString path;
        const bool classic = key.Open(HKEY_CURRENT_USER, kThemeKey, KEY_QUERY_VALUE) &&
                             key.QueryString(nullptr, path) && IsClassicThemeName(path);
        g_classicTheme = classic ? 1 : 0;
    }
    return g_classicTheme == 1;
}

int COwnerDrawMenu::GetPlatformClass() {
    if (g_platformClassOverride >= 0) return g_platformClassOverride;
    static const int platformClass = [] {
        OSVERSIONINFOA version{};
        version.dwOSVersionInfoSize = sizeof version;
        if (!GetVersionExA(&version)) return static_cast<int>(kOldWindows);
        return PlatformClassOf(version.dwPlatformId, version.dwMajorVersion, version.dwMinorVersion);
    }();
    return platformClass;
}

void COwnerDrawMenu::SetPlatformClassForTesting(int platformClass) {
    g_platformClassOverride = platformClass;
    g_classicTheme = -1;
}

bool COwnerDrawMenu::IsXPStyle() {
    return GetPlatformClass() == kWinXP && !IsClassicTheme();
}

COLORREF COwnerDrawMenu::Lighten(COLORREF colour, double factor) {
    if (!(factor > 0.0 && factor <= 1.0)) return colour;
    return RGB(TowardWhite(GetRValue(colour), factor), TowardWhite(GetGValue(colour), factor),
               TowardWhite(GetBValue(colour), factor));
}

COLORREF COwnerDrawMenu::Darken(COLORREF colour, double factor) {
    if (!(factor > 0.0 && factor <= 1.0)) return colour;
    return RGB(TowardBlack(GetRValue(colour), factor), TowardBlack(GetGValue(colour), factor),
               TowardBlack(GetBValue(colour), factor));
}

// ---- Measuring -----------------------------------------------------------

HFONT COwnerDrawMenu::MenuFont() {
    if (!font_) font_ = CreateMenuFont();
    return font_.get();
}

int COwnerDrawMenu::MeasureTextWidth(const std::wstring& text) {
    ScopedGetDC dc(MeasuringWindow());
    if (!dc.get()) return 0;
    ScopedSaveDC saved(dc.get());
    const int platform = GetPlatformClass();
    if (platform > kNewerNT)
        if (HFONT font = MenuFont()) SelectObject(dc.get(), font);

    if (platform == kOldWindows) {
        RECT rect{};
        DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &rect,
                  DT_CALCRECT | DT_SINGLELINE | DT_VCENTER);
        const int width = rect.right - rect.left + 3;
        return text.empty() ? width : width + 3 * (width / static_cast<int>(text.size()));
    }
    SIZE size{};
    GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

namespace {

// The popup of the item a measure or draw request names, or null.
template <class Request>
COwnerDrawMenu* MenuOfItem(const Request* request) {
    if (!request || request->CtlType != ODT_MENU || !request->itemData) return nullptr;
    return reinterpret_cast<const COwnerDrawMenuItem*>(request->itemData)->menu;
}

}  // namespace

bool COwnerDrawMenu::MeasureMenuItem(LPMEASUREITEMSTRUCT measureItem) {
    COwnerDrawMenu* menu = MenuOfItem(measureItem);
    if (menu) menu->MeasureItem(measureItem);
    return menu != nullptr;
}

bool COwnerDrawMenu::DrawMenuItem(LPDRAWITEMSTRUCT drawItem) {
    COwnerDrawMenu* menu = MenuOfItem(drawItem);
    if (menu) menu->DrawItem(drawItem);
    return menu != nullptr;
}

void COwnerDrawMenu::MeasureItem(LPMEASUREITEMSTRUCT measureItem) {
    if (!measureItem) return;
    const auto* item = reinterpret_cast<const COwnerDrawMenuItem*>(measureItem->itemData);
    if (!item) return;
    const bool xpStyle = IsXPStyle();

    if (item->flags & MF_SEPARATOR) {
        measureItem->itemWidth = 0;
        measureItem->itemHeight =
            xpStyle ? 3 : std::max(GetSystemMetrics(SM_CYMENU) / 2, (kPictureHeight + kSpacingClassic) / 2);
        return;
    }
    const int textWidth = MeasureTextWidth(item->text);
    measureItem->itemWidth = textWidth + (xpStyle ? kColumnWidth + kXPTextGap : 2 * kPictureWidth + 1);
    measureItem->itemHeight = std::max(GetSystemMetrics(SM_CYMENU), kPictureHeight + ItemSpacing(xpStyle));
}

// ---- Drawing -------------------------------------------------------------

void COwnerDrawMenu::DrawItem(LPDRAWITEMSTRUCT drawItem) {
    if (!drawItem || !drawItem->hDC || !drawItem->itemData) return;
    const bool palette = (::GetDeviceCaps(drawItem->hDC, RASTERCAPS) & RC_PALETTE) != 0;
    const bool xpStyle = IsXPStyle();
    if (xpStyle && !palette) DrawXP(drawItem);
    else DrawClassic(drawItem, xpStyle && palette);
}

void COwnerDrawMenu::DrawClassic(LPDRAWITEMSTRUCT drawItem, bool forcedByPalette) {
    const auto& item = *reinterpret_cast<const COwnerDrawMenuItem*>(drawItem->itemData);
    CDC dc(drawItem->hDC);
    ScopedSaveDC saved(drawItem->hDC);
    RECT rect = drawItem->rcItem;
    const COLORREF background = GetSysColor(forcedByPalette ? COLOR_BTNFACE : COLOR_MENU);

    if (item.flags & MF_SEPARATOR) {
        dc.FillSolidRect(rect, background);
        rect.top += (rect.bottom - rect.top) / 2;
        dc.DrawEdge(&rect, EDGE_ETCHED, BF_TOP);
        return;
    }
    const bool selected = (drawItem->itemState & ODS_SELECTED) != 0;
    const bool disabled = (drawItem->itemState & ODS_GRAYED) != 0;
    const bool checked = (drawItem->itemState & ODS_CHECKED) != 0;
    dc.FillSolidRect(rect, selected ? GetSysColor(COLOR_HIGHLIGHT) : background);

    const RECT cell{rect.left, rect.top, rect.left + kPictureWidth + kClassicTextGap, rect.bottom};
    const RECT textRect{cell.right, rect.top - 1, rect.right, rect.bottom - 1};
    const std::wstring& text = item.text;
    dc.SetBkMode(TRANSPARENT);
    if (disabled && !selected) {
        // Engraved: a light copy one pixel down and right, grey on top.
        DrawItemFace(dc, Offset(cell, 1, 1), Offset(textRect, 1, 1), text, checked, GetSysColor(COLOR_BTNHIGHLIGHT));
        DrawItemFace(dc, cell, textRect, text, checked, GetSysColor(COLOR_GRAYTEXT));
    } else if (disabled) {
        DrawItemFace(dc, cell, textRect, text, checked, background);
    } else {
        DrawItemFace(dc, cell, textRect, text, checked, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
    }
}

namespace {

void PaintXP(CDC& dc, const RECT& rect, const std::wstring& text, bool separator, bool selected, bool disabled,
             bool checked) {
    const COLORREF background = COwnerDrawMenu::Darken(GetSysColor(COLOR_WINDOW), 0.02);
    const COLORREF column = GetSysColor(COLOR_BTNFACE);
    const COLORREF selectionFill = COwnerDrawMenu::Lighten(GetSysColor(COLOR_HIGHLIGHT), 0.7);
    const COLORREF selectionFrame = GetSysColor(COLOR_HIGHLIGHT);
    const RECT columnRect{rect.left, rect.top, rect.left + kColumnWidth, rect.bottom};

    if (separator) {
        dc.FillSolidRect(rect, background);
        dc.FillSolidRect(columnRect, column);
        RECT line{rect.left + kColumnWidth + kSpacingXP, rect.top + (rect.bottom - rect.top) / 2, rect.right,
                  rect.bottom};
        dc.DrawEdge(&line, EDGE_ETCHED, BF_TOP);
        return;
    }
    if (selected) {
        dc.FillSolidRect(rect, selectionFill);
        dc.FrameRect(rect, selectionFrame);
    } else {
        dc.FillSolidRect(rect, background);
        dc.FillSolidRect(columnRect, column);
    }
    const RECT textRect{rect.left + kColumnWidth + kXPTextGap, rect.top - 1, rect.right, rect.bottom - 1};
    dc.SetBkMode(TRANSPARENT);
    DrawItemFace(dc, columnRect, textRect, text, checked, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_MENUTEXT));
}

}  // namespace

void COwnerDrawMenu::DrawXP(LPDRAWITEMSTRUCT drawItem) {
    const auto& item = *reinterpret_cast<const COwnerDrawMenuItem*>(drawItem->itemData);
    const bool separator = (item.flags & MF_SEPARATOR) != 0;
    const bool disabled = (drawItem->itemState & ODS_GRAYED) != 0;
    // A disabled item is never shown selected.
    const bool selected = !disabled && (drawItem->itemState & ODS_SELECTED) != 0;
    const bool checked = (drawItem->itemState & ODS_CHECKED) != 0;
    const std::wstring& text = item.text;
    const RECT& target = drawItem->rcItem;
    const int width = target.right - target.left;
    const int height = target.bottom - target.top;

    // Painted off-screen with the menu font and copied in one go, so the
    // item never flickers.
    CMemoryDC buffer(drawItem->hDC, width, height);
    if (!buffer) {
        ScopedSaveDC saved(drawItem->hDC);
        CDC dc(drawItem->hDC);
        PaintXP(dc, target, text, separator, selected, disabled, checked);
        return;
    }
    HFONT font = MenuFont();
    ScopedSelectObject selectFont(buffer.GetSafeHdc(), font ? font : GetCurrentObject(drawItem->hDC, OBJ_FONT));
    PaintXP(buffer, RECT{0, 0, width, height}, text, separator, selected, disabled, checked);
    CDC(drawItem->hDC).BitBlt(target.left, target.top, width, height, buffer.GetSafeHdc(), 0, 0);
}
