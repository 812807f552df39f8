// Menus in the framework's style: CMenu owns one HMENU, held like every
// other handle of the program (Handle.h).
#pragma once

#include "CObject.h"
#include "Handle.h"

#include <windows.h>

class CMenu : public CObject {
    DECLARE_DYNAMIC(CMenu)
public:
    CMenu() = default;
    // Destroys the menu still attached.
    ~CMenu() override = default;

    HMENU GetSafeHmenu() const noexcept { return menu_.get(); }

    // Takes ownership of `menu`; the object must be empty.
    BOOL Attach(HMENU menu);
    // Gives the handle up without destroying it: whoever takes it owns it.
    [[nodiscard]] HMENU Detach() noexcept { return menu_.release(); }

    BOOL CreateMenu();
    BOOL CreatePopupMenu();
    virtual BOOL LoadMenu(UINT resourceId);
    virtual BOOL LoadMenu(const char* resourceName);
    virtual BOOL DestroyMenu();

    // Non-owning handle of the popup at `position`, or null.
    HMENU GetSubMenu(int position) const;
    int GetMenuItemCount() const;
    UINT GetMenuItemID(int position) const;
    UINT GetMenuState(UINT item, UINT flags) const;
    int GetMenuString(UINT item, wchar_t* text, int maxCount, UINT flags) const;
    BOOL AppendMenu(UINT flags, UINT_PTR idOrPopup, const wchar_t* item);
    BOOL ModifyMenu(UINT position, UINT flags, UINT_PTR idOrPopup, const wchar_t* item);
    BOOL SetDefaultItem(UINT item, BOOL byPosition);

    // Owner-drawn items: called by the owner window's handling of
    // WM_DRAWITEM and WM_MEASUREITEM.
    virtual void DrawItem(LPDRAWITEMSTRUCT drawItem);
    virtual void MeasureItem(LPMEASUREITEMSTRUCT measureItem);

private:
    MenuHandle menu_;
};
