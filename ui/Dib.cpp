#include "Dib.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CDib, CObject)

const BITMAPINFO* CDib::Header() const {
    return header_.empty() ? nullptr : reinterpret_cast<const BITMAPINFO*>(header_.data());
}

bool CDib::CreateFromBitmap(HDC dc, HBITMAP bitmap) {
    BITMAP source{};
    if (!GetObjectA(bitmap, sizeof source, &source)) return false;
    const int w = source.bmWidth;
    const int h = source.bmHeight;
    const int b = source.bmBitsPixel * source.bmPlanes;
    const bool indexed = b <= 8;
    const int headerBits = indexed ? b : 24;
    // Every depth up to 8 bits gets its whole table, so GetDIBits never
    // writes past the header.
    const int colours = indexed ? 1 << b : 0;

    const size_t stride = static_cast<size_t>((headerBits * w + 31) / 32) * 4;
    std::vector<BYTE> bits(stride * static_cast<size_t>(h));
    std::vector<BYTE> header(sizeof(BITMAPINFOHEADER) + sizeof(RGBQUAD) * static_cast<size_t>(colours));
    auto* info = reinterpret_cast<BITMAPINFOHEADER*>(header.data());
    info->biSize = sizeof(BITMAPINFOHEADER);
    info->biWidth = w;
    info->biHeight = h;
    info->biPlanes = 1;
    info->biBitCount = static_cast<WORD>(headerBits);
    info->biCompression = BI_RGB;
    info->biSizeImage = static_cast<DWORD>(bits.size());
    if (GetDIBits(dc, bitmap, 0, static_cast<UINT>(h), bits.data(), reinterpret_cast<BITMAPINFO*>(info),
                  DIB_RGB_COLORS) != h)
        return false;

    header_ = std::move(header);
    bits_ = std::move(bits);
    width_ = w;
    height_ = h;
    colourCount_ = colours;
    return BuildPalette();
}

bool CDib::BuildPalette() {
    palette_.reset();
    if (colourCount_ == 0) return true;
    const auto* info = reinterpret_cast<const BITMAPINFO*>(header_.data());
    const int entries = std::max(colourCount_, static_cast<int>(info->bmiHeader.biClrUsed));
    std::vector<BYTE> buffer(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * static_cast<size_t>(entries));
    auto* palette = reinterpret_cast<LOGPALETTE*>(buffer.data());
    palette->palVersion = 0x300;
    palette->palNumEntries = static_cast<WORD>(entries);
    for (int i = 0; i < entries; ++i) {
        PALETTEENTRY& entry = palette->palPalEntry[i];
        if (i < colourCount_) {  // further entries stay black
            const RGBQUAD& colour = info->bmiColors[i];
            entry.peRed = colour.rgbRed;
            entry.peGreen = colour.rgbGreen;
            entry.peBlue = colour.rgbBlue;
        }
    }
    palette_.reset(CreatePalette(palette));
    return static_cast<bool>(palette_);
}
