#include "Gdi.h"

#include "Owned.h"

#include <algorithm>
#include <cstring>

namespace zel {

namespace {

struct DibSection {
    BitmapHandle bitmap;
    uint8_t* bits = nullptr;
};

// The header of an uncompressed top-down DIB.
BITMAPINFO TopDownInfo(int32_t width, int32_t height, WORD bitsPerPixel) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = bitsPerPixel;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// A top-down 32-bit DIB section; its memory is zero-filled by the system.
DibSection CreateTopDownDib(HDC dc, int32_t width, int32_t height) {
    const BITMAPINFO info = TopDownInfo(width, height, 32);
    DibSection dib;
    void* bits = nullptr;
    dib.bitmap.reset(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    dib.bits = static_cast<uint8_t*>(bits);
    return dib;
}

TextMask CropToInk(const uint8_t* pixels, int32_t width, int32_t height) {
    int32_t left = width, right = -1, top = height, bottom = -1;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const uint8_t* p = pixels + (size_t(y) * size_t(width) + size_t(x)) * 4;
            if (p[0] | p[1] | p[2]) {
                left = std::min(left, x); right = std::max(right, x);
                top = std::min(top, y); bottom = std::max(bottom, y);
            }
        }
    TextMask mask;
    if (right < 0) return mask;
    mask.width = right - left + 1;
    mask.height = bottom - top + 1;
    mask.coverage.resize(size_t(mask.width) * size_t(mask.height));
    for (int32_t y = 0; y < mask.height; ++y)
        for (int32_t x = 0; x < mask.width; ++x) {
            const uint8_t* p = pixels + (size_t(y + top) * size_t(width) + size_t(x + left)) * 4;
            mask.coverage[size_t(y) * size_t(mask.width) + size_t(x)] = std::max({p[0], p[1], p[2]});
        }
    return mask;
}

}  // namespace

GdiText::GdiText() : dc_(CreateCompatibleDC(nullptr)) {}

HFONT GdiText::FontFor(int32_t pixelHeight, bool bold) {
    FontHandle& font = fonts_[std::make_pair(pixelHeight, bold)];
    if (!font)
        font.reset(CreateFontA(-pixelHeight, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                               OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, VARIABLE_PITCH | FF_SWISS,
                               "Tahoma"));
    return font.get();
}

TextMask GdiText::Render(const std::string& text, int32_t pixelHeight, bool bold) {
    TextMask empty;
    if (!dc_ || text.empty() || pixelHeight < 1 || pixelHeight > 2000) return empty;
    HFONT font = FontFor(pixelHeight, bold);
    if (!font) return empty;
    ScopedSelectObject selectFont(dc_.get(), font);
    SIZE extent = {};
    if (!GetTextExtentPoint32A(dc_.get(), text.c_str(), int(text.size()), &extent) || extent.cx <= 0 || extent.cy <= 0)
        return empty;
    const int32_t width = extent.cx + pixelHeight / 2 + 2, height = extent.cy + 2;
    DibSection dib = CreateTopDownDib(dc_.get(), width, height);
    if (!dib.bitmap || !dib.bits) return empty;
    ScopedSelectObject selectBitmap(dc_.get(), dib.bitmap.get());
    SetBkMode(dc_.get(), TRANSPARENT);
    SetTextColor(dc_.get(), RGB(255, 255, 255));
    TextOutA(dc_.get(), 1 + pixelHeight / 4, 1, text.c_str(), int(text.size()));
    GdiFlush();
    return CropToInk(dib.bits, width, height);
}

Status PaintImage(const Image& image, HDC dc, const RECT& target, const RECT& source) {
    if (image.Empty() || !dc) return kErrBadArgument;
    const RECT whole = {0, 0, image.width, image.height};
    RECT part;
    if (!IntersectRect(&part, &source, &whole)) return kOk;
    const int32_t w = part.right - part.left, h = part.bottom - part.top;
    const size_t stride = (size_t(w) * 3 + 3) & ~size_t(3);
    std::vector<uint8_t> rows(stride * size_t(h));
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* in = image.Row(part.top + y);
        uint8_t* out = rows.data() + size_t(y) * stride;
        for (int32_t x = 0; x < w; ++x, out += 3) {
            if (image.IsIndexed()) {
                uint8_t index = in[part.left + x];
                Rgb c = index < image.palette.size() ? image.palette[index] : Rgb{};
                out[0] = c.b; out[1] = c.g; out[2] = c.r;
            } else {
                std::memcpy(out, in + size_t(part.left + x) * 3, 3);
            }
        }
    }
    const BITMAPINFO info = TopDownInfo(w, h, 24);
    const int oldMode = SetStretchBltMode(dc, HALFTONE);
    POINT oldOrigin;
    SetBrushOrgEx(dc, 0, 0, &oldOrigin);
    // Map the requested source rectangle onto the part that lies inside the picture.
    const double sx = double(target.right - target.left) / std::max<LONG>(1, source.right - source.left);
    const double sy = double(target.bottom - target.top) / std::max<LONG>(1, source.bottom - source.top);
    const int dx = target.left + int((part.left - source.left) * sx), dy = target.top + int((part.top - source.top) * sy);
    const int dw = int(w * sx + 0.5), dh = int(h * sy + 0.5);
    const int lines = StretchDIBits(dc, dx, dy, dw, dh, 0, 0, w, h, rows.data(), &info, DIB_RGB_COLORS, SRCCOPY);
    SetBrushOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
    if (oldMode) SetStretchBltMode(dc, oldMode);
    return lines == 0 && h > 0 ? kErrBadArgument : kOk;
}

uint32_t DisplayColorCount() {
    ScopedGetDC screen(nullptr);
    if (!screen.get()) return 1u << 24;
    const int depth = GetDeviceCaps(screen.get(), PLANES) * GetDeviceCaps(screen.get(), BITSPIXEL);
    if (depth >= 24 || depth <= 0) return 1u << 24;
    return 1u << depth;
}

}  // namespace zel
