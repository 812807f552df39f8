#include "ImageList.h"

BOOL CImageList::Attach(HIMAGELIST list) noexcept {
    if (!list || m_hImageList) return FALSE;
    m_hImageList = list;
    return TRUE;
}

HIMAGELIST CImageList::Detach() noexcept {
    HIMAGELIST list = m_hImageList;
    m_hImageList = nullptr;
    return list;
}
