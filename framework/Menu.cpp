#include "Menu.h"

#include "WinApp.h"

#include <cassert>

IMPLEMENT_DYNAMIC(CMenu, CObject)

CMenu::~CMenu() {
    if (m_hMenu) ::DestroyMenu(Detach());
}

BOOL CMenu::Attach(HMENU menu) {
    assert(!m_hMenu);
    if (!menu) return FALSE;
    m_hMenu = menu;
    return TRUE;
}

HMENU CMenu::Detach() {
    HMENU menu = m_hMenu;
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
