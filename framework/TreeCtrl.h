// Tree view control wrapper. It holds no state of its own: every method is
// one message to the control, which must exist. It only looks at the
// control; a class derived from it with handlers of its own subclasses it.
#pragma once

#include "CString.h"
#include "Wnd.h"

#include <commctrl.h>

class CTreeCtrl : public CWnd {
public:
    CTreeCtrl() = default;

    // Inserts an item with text, image and selected image.
    HTREEITEM InsertItem(const char* text, int image, int selectedImage,
                         HTREEITEM parent = TVI_ROOT, HTREEITEM after = TVI_LAST);
    BOOL DeleteItem(HTREEITEM item);

    // The item's text, whatever its length.
    CString GetItemText(HTREEITEM item) const;
    BOOL SetItemText(HTREEITEM item, const char* text);

    UINT GetCount() const;
    HTREEITEM GetRootItem() const { return GetNextItem(nullptr, TVGN_ROOT); }
    HTREEITEM GetChildItem(HTREEITEM item) const { return GetNextItem(item, TVGN_CHILD); }
    HTREEITEM GetNextSiblingItem(HTREEITEM item) const { return GetNextItem(item, TVGN_NEXT); }
    HTREEITEM GetParentItem(HTREEITEM item) const { return GetNextItem(item, TVGN_PARENT); }
    HTREEITEM GetSelectedItem() const { return GetNextItem(nullptr, TVGN_CARET); }
    HTREEITEM GetNextItem(HTREEITEM item, UINT code) const;

    BOOL SelectItem(HTREEITEM item);
    BOOL Expand(HTREEITEM item, UINT code = TVE_EXPAND);

    // Starts editing the item's label; the edit control, or null.
    HWND EditLabel(HTREEITEM item);
    // The edit control of the label edit in progress, or null.
    HWND GetEditControl() const;

    HIMAGELIST GetImageList(int which) const;
    HIMAGELIST SetImageList(HIMAGELIST list, int which);
};
