#include "Menu.h"

#include "WinApp.h"

#include <cassert>
#include <unordered_map>

namespace {

// Handle to object, for menus with an object attached. Menus live on the
// user-interface thread only, so the map needs no lock.
std::unordered_map<HMENU, CMenu*>& PermanentMenus() {
    static std::unordered_map<HMENU, CMenu*> menus;
    return menus;
}

// The object of the popup (inside `menu`, at any depth) that holds the item
// `id`: a command, or a popup whose handle is `id`.
CMenu* FindMenuHoldingItem(HMENU menu, UINT_PTR id) {
    const int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        if (HMENU popup = ::GetSubMenu(menu, i)) {
            if (reinterpret_cast<UINT_PTR>(popup) == id) return CMenu::FromHandlePermanent(menu);
            if (CMenu* found = FindMenuHoldingItem(popup, id)) return found;
        } else if (::GetMenuItemID(menu, i) == id) {
            return CMenu::FromHandlePermanent(menu);
        }
    }
    return nullptr;
}

}  // namespace

IMPLEMENT_DYNAMIC(CMenu, CObject)

CMenu::~CMenu() {
    if (m_hMenu) ::DestroyMenu(Detach());
}

CMenu* CMenu::FromHandlePermanent(HMENU menu) {
    if (!menu) return nullptr;
    auto& menus = PermanentMenus();
    auto found = menus.find(menu);
    return found == menus.end() ? nullptr : found->second;
}

BOOL CMenu::Attach(HMENU menu) {
    assert(!m_hMenu);
    if (!menu) return FALSE;
    m_hMenu = menu;
    PermanentMenus()[menu] = this;
    return TRUE;
}

HMENU CMenu::Detach() {
    HMENU menu = m_hMenu;
    if (menu) {
        auto& menus = PermanentMenus();
        auto found = menus.find(menu);
        if (found != menus.end() && found->second == this) menus.erase(found);
    }
    m_hMenu = nullptr;
    return menu;
}

BOOL CMenu::CreateMenu() {
    return Attach(::CreateMenu());
}

BOOL CMenu::CreatePopupMenu() {
    return Attach(::CreatePopupMenu());
}

BOOL CMenu::LoadMenu(UINT resourceId) {
    return Attach(::LoadMenuA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(resourceId)));
}

BOOL CMenu::LoadMenu(const char* resourceName) {
    return Attach(::LoadMenuA(AfxGetInstanceHandle(), resourceName));
}

BOOL CMenu::DestroyMenu() {
    return m_hMenu ? ::DestroyMenu(Detach()) : FALSE;
}

HMENU CMenu::GetSubMenu(int position) const {
    return m_hMenu ? ::GetSubMenu(m_hMenu, position) : nullptr;
}

int CMenu::GetMenuItemCount() const {
    return m_hMenu ? ::GetMenuItemCount(m_hMenu) : -1;
}

UINT CMenu::GetMenuItemID(int position) const {
    assert(m_hMenu);
    return ::GetMenuItemID(m_hMenu, position);
}

UINT CMenu::GetMenuState(UINT item, UINT flags) const {
    assert(m_hMenu);
    return ::GetMenuState(m_hMenu, item, flags);
}

int CMenu::GetMenuString(UINT item, wchar_t* text, int maxCount, UINT flags) const {
    assert(m_hMenu);
    return ::GetMenuStringW(m_hMenu, item, text, maxCount, flags);
}

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR idOrPopup, const wchar_t* item) {
    assert(m_hMenu);
    return ::AppendMenuW(m_hMenu, flags, idOrPopup, item);
}

BOOL CMenu::ModifyMenu(UINT position, UINT flags, UINT_PTR idOrPopup, const wchar_t* item) {
    assert(m_hMenu);
    return ::ModifyMenuW(m_hMenu, position, flags, idOrPopup, item);
}

BOOL CMenu::SetDefaultItem(UINT item, BOOL byPosition) {
    assert(m_hMenu);
    return ::SetMenuDefaultItem(m_hMenu, item, byPosition);
}

BOOL CMenu::TrackPopupMenu(UINT flags, int x, int y, HWND owner) const {
    assert(m_hMenu);
    return ::TrackPopupMenu(m_hMenu, flags, x, y, 0, owner, nullptr);
}

void CMenu::DrawItem(LPDRAWITEMSTRUCT) {}

void CMenu::MeasureItem(LPMEASUREITEMSTRUCT) {}

bool AfxDrawMenuItem(LPDRAWITEMSTRUCT drawItem) {
    if (!drawItem || drawItem->CtlType != ODT_MENU) return false;
    CMenu* menu = CMenu::FromHandlePermanent(reinterpret_cast<HMENU>(drawItem->hwndItem));
    if (!menu) return false;
    menu->DrawItem(drawItem);
    return true;
}

bool AfxMeasureMenuItem(HMENU windowMenu, LPMEASUREITEMSTRUCT measureItem) {
    if (!windowMenu || !measureItem || measureItem->CtlType != ODT_MENU) return false;
    CMenu* menu = FindMenuHoldingItem(windowMenu, measureItem->itemID);
    if (!menu) return false;
    menu->MeasureItem(measureItem);
    return true;
}
