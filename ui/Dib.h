// A device-independent copy of a bitmap with the logical palette of its
// colours, for drawing a picture the same way on any display.
#pragma once

#include "framework/Afx.h"

#include <vector>

class CDib : public CObject {
    DECLARE_DYNAMIC(CDib)
public:
    CDib() = default;

    // Copies `bitmap` as seen through `dc`: 1, 4 and 8 bits per pixel keep
    // their colour table and get a palette, anything deeper becomes 24-bit
    // with no palette. False when the copy or the palette fails.
    bool CreateFromBitmap(HDC dc, HBITMAP bitmap);

    const BITMAPINFO* Header() const;
    const BYTE* Bits() const { return bits_.empty() ? nullptr : bits_.data(); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // Null for 24-bit pictures.
    HPALETTE Palette() const { return palette_.get(); }

private:
    bool BuildPalette();

    std::vector<BYTE> header_;  // BITMAPINFOHEADER and colour table
    std::vector<BYTE> bits_;    // bottom-up rows, each a multiple of 4 bytes
    int width_ = 0;
    int height_ = 0;
    int colourCount_ = 0;
    PaletteHandle palette_;
};
