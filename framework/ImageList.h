// Image list wrapper that never owns its list: it only names one that
// belongs to someone else (the shell's system icon list, which must never be
// destroyed), so attaching and detaching are all it does.
#pragma once

#include <windows.h>
#include <commctrl.h>

class CImageList {
public:
    CImageList() = default;
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    HIMAGELIST GetSafeHandle() const noexcept { return m_hImageList; }
    // FALSE when `list` is null or another list is attached.
    BOOL Attach(HIMAGELIST list) noexcept;
    // Forgets the list without destroying it; returns it.
    HIMAGELIST Detach() noexcept;

    HIMAGELIST m_hImageList = nullptr;
};
