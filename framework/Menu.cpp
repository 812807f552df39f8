#include "Menu.h"

#include "WinApp.h"

#include <cassert>

IMPLEMENT_DYNAMIC(CMenu, CObject)

BOOL CMenu::Attach(HMENU menu) {
    assert(!menu_);
    if (!menu) return FALSE;
    menu_.reset(menu);
    return TRUE;
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
    if (!menu_) return FALSE;
    menu_.reset();
    return TRUE;
}

HMENU CMenu::GetSubMenu(int position) const {
    return menu_ ? ::GetSubMenu(menu_.get(), position) : nullptr;
}

int CMenu::GetMenuItemCount() const {
    return menu_ ? ::GetMenuItemCount(menu_.get()) : -1;
}

UINT CMenu::GetMenuItemID(int position) const {
    assert(menu_);
    return ::GetMenuItemID(menu_.get(), position);
}

UINT CMenu::GetMenuState(UINT item, UINT flags) const {
    assert(menu_);
    return ::GetMenuState(menu_.get(), item, flags);
}

int CMenu::GetMenuString(UINT item, wchar_t* text, int maxCount, UINT flags) const {
    assert(menu_);
    return ::GetMenuStringW(menu_.get(), item, text, maxCount, flags);
}

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR idOrPopup, const wchar_t* item) {
    assert(menu_);
    return ::AppendMenuW(menu_.get(), flags, idOrPopup, item);
}

BOOL CMenu::ModifyMenu(UINT position, UINT flags, UINT_PTR idOrPopup, const wchar_t* item) {
    assert(menu_);
    return ::ModifyMenuW(menu_.get(), position, flags, idOrPopup, item);
}

BOOL CMenu::SetDefaultItem(UINT item, BOOL byPosition) {
    assert(menu_);
    return ::SetMenuDefaultItem(menu_.get(), item, byPosition);
}

void CMenu::DrawItem(LPDRAWITEMSTRUCT) {}

void CMenu::MeasureItem(LPMEASUREITEMSTRUCT) {}
