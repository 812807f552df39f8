#include "PictureButton.h"

#include <cstdlib>
#include <cstring>
#include <vector>


BEGIN_MESSAGE_MAP(CPictureButton, COwnerDrawButton)
    ON_MESSAGE(WM_SYSCOLORCHANGE, OnSysColorChange)
    ON_MESSAGE(WM_SIZE, OnSize)
END_MESSAGE_MAP()

namespace {

// The room a button's frame takes at the right and at the bottom.
const int kFrameExtra = 3;

COLORREF SysColourAsRgbQuad(int index) {
    const COLORREF c = GetSysColor(index);
    // RGBQUAD keeps blue in the low byte.
    return RGB(GetBValue(c), GetGValue(c), GetRValue(c));
}

// Swaps the four standard colours of a colour table for the system's.
void Recolour(RGBQUAD* table, int count) {
    struct Swap { COLORREF standard; int system; };
    const Swap swaps[] = {
        {0x000000, COLOR_BTNTEXT},
        {0x808080, COLOR_BTNSHADOW},
        {0xC0C0C0, COLOR_BTNFACE},
        {0xFFFFFF, COLOR_BTNHIGHLIGHT},
    };
    for (int i = 0; i < count; ++i) {
        COLORREF entry;
        std::memcpy(&entry, &table[i], sizeof entry);
        entry &= 0xFFFFFF;
        for (const Swap& swap : swaps) {
            if (entry != swap.standard) continue;
            const COLORREF replacement = SysColourAsRgbQuad(swap.system);
            std::memcpy(&table[i], &replacement, sizeof replacement);
            table[i].rgbReserved = 0;
            break;
        }
    }
}

void FillLine(HDC dc, int left, int top, int right, int bottom, int colourIndex) {
    CDC(dc).FillSolidRect(RECT{left, top, right, bottom}, GetSysColor(colourIndex));
}

// Two nested one-pixel frames: top and left in one colour, bottom and right in another.
void DrawFrame(HDC dc, const RECT& r, int topLeft, int bottomRight) {
    FillLine(dc, r.left, r.top, r.right, r.top + 1, topLeft);
    FillLine(dc, r.left, r.top, r.left + 1, r.bottom, topLeft);
    FillLine(dc, r.left, r.bottom - 1, r.right, r.bottom, bottomRight);
    FillLine(dc, r.right - 1, r.top, r.right, r.bottom, bottomRight);
}

}  // namespace

BOOL CPictureButton::Create(const char* caption, DWORD style, Alignment alignment, UINT pictureId,
                            const RECT& rect, CWnd* parent, UINT id) {
    (void)alignment;  // picture-only is the one layout there is
    pictureId_ = pictureId;
    if (!LoadPicture()) return FALSE;
    if (!COwnerDrawButton::Create(caption, style, rect, parent, id)) return FALSE;
    Layout();
    return TRUE;
}

bool CPictureButton::LoadPicture() {
    HINSTANCE instance = AfxGetInstanceHandle();
    HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(pictureId_), MAKEINTRESOURCEA(2) /* RT_BITMAP */);
    HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
    const auto* resource = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    const DWORD resourceSize = found ? SizeofResource(instance, found) : 0;
    if (!resource || resourceSize < sizeof(BITMAPINFOHEADER)) return false;

    BITMAPINFOHEADER info;
    std::memcpy(&info, resource, sizeof info);
    if (info.biSize < sizeof(BITMAPINFOHEADER) || info.biWidth <= 0 || info.biHeight == 0) return false;
    // The table holds biClrUsed entries when that is set: the pixels start
    // right after it, not after a full table.
    const int tableEntries = info.biClrUsed ? static_cast<int>(info.biClrUsed)
                             : info.biBitCount <= 8 ? 1 << info.biBitCount : 0;
    if (tableEntries < 0 || tableEntries > 256) return false;
    const size_t tableOffset = info.biSize;
    const size_t bitsOffset = tableOffset + sizeof(RGBQUAD) * static_cast<size_t>(tableEntries);
    if (bitsOffset > resourceSize) return false;

    std::vector<BYTE> header(sizeof(BITMAPINFOHEADER) + sizeof(RGBQUAD) * static_cast<size_t>(tableEntries));
    std::memcpy(header.data(), &info, sizeof info);
    reinterpret_cast<BITMAPINFOHEADER*>(header.data())->biSize = sizeof(BITMAPINFOHEADER);
    auto* table = reinterpret_cast<RGBQUAD*>(header.data() + sizeof(BITMAPINFOHEADER));
    std::memcpy(table, resource + tableOffset, sizeof(RGBQUAD) * static_cast<size_t>(tableEntries));
    Recolour(table, tableEntries);

    const int width = info.biWidth;
    const int height = std::abs(info.biHeight);
    ScopedGetDC screen(nullptr);
    BitmapHandle picture(CreateCompatibleBitmap(screen.get(), width, height));
    MemoryDCHandle memory(CreateCompatibleDC(screen.get()));
    if (!picture || !memory) return false;
    {
        ScopedSelectObject select(memory.get(), picture.get());
        if (StretchDIBits(memory.get(), 0, 0, width, height, 0, 0, width, height, resource + bitsOffset,
                          reinterpret_cast<const BITMAPINFO*>(header.data()), DIB_RGB_COLORS, SRCCOPY) == 0)
            return false;
    }
    picture_ = std::move(picture);
    pictureSize_ = SIZE{width, height};
    return true;
}

void CPictureButton::Layout() {
    RECT client{};
    GetClientRect(m_hWnd, &client);
    const int left = (client.right - kFrameExtra - pictureSize_.cx) / 2;
    const int top = (client.bottom - kFrameExtra - pictureSize_.cy) / 2;
    pictureRect_ = RECT{left, top, left + pictureSize_.cx, top + pictureSize_.cy};
}

void CPictureButton::SizeToContent() {
    // Only the picture-only alignment exists; text would add its own room.
    const int width = pictureSize_.cx + 2 * kMarginX + kFrameExtra;
    const int height = pictureSize_.cy + 5 + 2 * kMarginY + kFrameExtra;
    SetWindowPos(m_hWnd, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CPictureButton::DrawItem(const DRAWITEMSTRUCT& item) {
    RECT focus = pictureRect_;
    InflateRect(&focus, 3, 3);
    if (item.itemAction == ODA_FOCUS) {
        DrawFocusRect(item.hDC, &focus);
        return;
    }
    if (!(item.itemAction & (ODA_DRAWENTIRE | ODA_SELECT))) return;

    const RECT& bounds = item.rcItem;
    const int width = bounds.right - bounds.left;
    const int height = bounds.bottom - bounds.top;
    CMemoryDC canvas(item.hDC, width, height);
    if (!canvas) return;
    HDC dc = canvas.GetSafeHdc();
    const RECT all{0, 0, width, height};
    canvas.FillSolidRect(all, GetSysColor(COLOR_BTNFACE));

    const bool pushed = (item.itemState & ODS_SELECTED) != 0;
    RECT inner = all;
    InflateRect(&inner, -1, -1);
    if (pushed) {
        DrawFrame(dc, all, COLOR_WINDOWFRAME, COLOR_BTNHIGHLIGHT);
        DrawFrame(dc, inner, COLOR_BTNSHADOW, COLOR_BTNFACE);
    } else {
        DrawFrame(dc, all, COLOR_BTNHIGHLIGHT, COLOR_WINDOWFRAME);
        DrawFrame(dc, inner, COLOR_BTNFACE, COLOR_BTNSHADOW);
    }

    if (picture_) {
        MemoryDCHandle source(CreateCompatibleDC(dc));
        ScopedSelectObject select(source.get(), picture_.get());
        const int shift = pushed ? 1 : 0;
        canvas.BitBlt(pictureRect_.left + shift, pictureRect_.top + shift, pictureSize_.cx, pictureSize_.cy,
                      source.get(), 0, 0);
    }
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &focus);

    BitBlt(item.hDC, bounds.left, bounds.top, width, height, dc, 0, 0, SRCCOPY);
}

LRESULT CPictureButton::OnSysColorChange(WPARAM, LPARAM) {
    if (LoadPicture()) InvalidateRect(m_hWnd, nullptr, TRUE);
    return Default();
}

LRESULT CPictureButton::OnSize(WPARAM, LPARAM) {
    Layout();
    return Default();
}
