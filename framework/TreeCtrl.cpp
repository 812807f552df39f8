#include "TreeCtrl.h"

#include <cstring>
#include <vector>


HTREEITEM CTreeCtrl::InsertItem(const char* text, int image, int selectedImage, HTREEITEM parent,
                                HTREEITEM after) {
    TVINSERTSTRUCTA insert{};
    insert.hParent = parent;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = const_cast<char*>(text);
    insert.item.iImage = image;
    insert.item.iSelectedImage = selectedImage;
    return reinterpret_cast<HTREEITEM>(SendMessage(TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

BOOL CTreeCtrl::DeleteItem(HTREEITEM item) {
    return static_cast<BOOL>(SendMessage(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item)));
}

CString CTreeCtrl::GetItemText(HTREEITEM item) const {
    // The control copies at most the buffer's size less one: grow until the
    // text no longer fills it.
    std::vector<char> buffer(260);
    for (;;) {
        TVITEMA data{};
        data.mask = TVIF_TEXT;
        data.hItem = item;
        buffer[0] = '\0';
        data.pszText = buffer.data();
        data.cchTextMax = static_cast<int>(buffer.size());
        if (!SendMessage(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data))) return CString();
        // Some versions hand back their own pointer instead of filling ours.
        const char* text = data.pszText ? data.pszText : "";
        const size_t length = strnlen(text, buffer.size());
        if (length + 1 < buffer.size() || buffer.size() >= (1u << 20)) return CString(text, int(length));
        buffer.assign(buffer.size() * 4, '\0');
    }
}

BOOL CTreeCtrl::SetItemText(HTREEITEM item, const char* text) {
    TVITEMA data{};
    data.mask = TVIF_TEXT;
    data.hItem = item;
    data.pszText = const_cast<char*>(text);
    return static_cast<BOOL>(SendMessage(TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&data)));
}

UINT CTreeCtrl::GetCount() const {
    return static_cast<UINT>(SendMessage(TVM_GETCOUNT));
}

HTREEITEM CTreeCtrl::GetNextItem(HTREEITEM item, UINT code) const {
    return reinterpret_cast<HTREEITEM>(SendMessage(TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item)));
}

BOOL CTreeCtrl::SelectItem(HTREEITEM item) {
    return static_cast<BOOL>(SendMessage(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item)));
}

BOOL CTreeCtrl::Expand(HTREEITEM item, UINT code) {
    return static_cast<BOOL>(SendMessage(TVM_EXPAND, code, reinterpret_cast<LPARAM>(item)));
}

HWND CTreeCtrl::EditLabel(HTREEITEM item) {
    return reinterpret_cast<HWND>(SendMessage(TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(item)));
}

HWND CTreeCtrl::GetEditControl() const {
    return reinterpret_cast<HWND>(SendMessage(TVM_GETEDITCONTROL));
}

HIMAGELIST CTreeCtrl::GetImageList(int which) const {
    return reinterpret_cast<HIMAGELIST>(SendMessage(TVM_GETIMAGELIST, static_cast<WPARAM>(which)));
}

HIMAGELIST CTreeCtrl::SetImageList(HIMAGELIST list, int which) {
    return reinterpret_cast<HIMAGELIST>(
        SendMessage(TVM_SETIMAGELIST, static_cast<WPARAM>(which), reinterpret_cast<LPARAM>(list)));
}
