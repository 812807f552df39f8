// CDib against bitmaps whose pixels and colours the test chose itself.
#include "ui/Dib.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// A 13 x 5 DIB section of `bits` bits per pixel with a colour table of its
// own (for up to 8 bits) and a pattern in its pixels.
struct TestBitmap {
    BitmapHandle bitmap;
    std::vector<RGBQUAD> table;
    const BYTE* pixels = nullptr;
};

TestBitmap MakeBitmap(HDC dc, int bits) {
    TestBitmap made;
    const int colours = bits <= 8 ? 1 << bits : 0;
    std::vector<BYTE> buffer(sizeof(BITMAPINFOHEADER) + sizeof(RGBQUAD) * colours);
    auto* info = reinterpret_cast<BITMAPINFO*>(buffer.data());
    info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info->bmiHeader.biWidth = 13;
    info->bmiHeader.biHeight = 5;
    info->bmiHeader.biPlanes = 1;
    info->bmiHeader.biBitCount = static_cast<WORD>(bits);
    for (int i = 0; i < colours; ++i) {
        RGBQUAD colour{static_cast<BYTE>(i * 3), static_cast<BYTE>(255 - i), static_cast<BYTE>((i * 37) & 0xFF), 0};
        info->bmiColors[i] = colour;
        made.table.push_back(colour);
    }
    void* pixels = nullptr;
    made.bitmap.reset(CreateDIBSection(dc, info, DIB_RGB_COLORS, &pixels, nullptr, 0));
    if (!made.bitmap) return made;
    const size_t stride = ((bits * 13 + 31) / 32) * 4;
    for (size_t i = 0; i < stride * 5; ++i) static_cast<BYTE*>(pixels)[i] = static_cast<BYTE>(i * 29 + 7);
    GdiFlush();
    made.pixels = static_cast<const BYTE*>(pixels);
    return made;
}

struct Depth {
    int bits;
    int colours;
    DWORD imageSize;  // bytes of 5 rows of 13 pixels, rows padded to 4 bytes
    int rowBytes;     // of those, the ones that carry pixels
};

class DibDepths : public ::testing::TestWithParam<Depth> {};

TEST_P(DibDepths, HeaderTableAndPaletteFollowTheBitmap) {
    const Depth depth = GetParam();
    ScopedGetDC screen(nullptr);
    TestBitmap source = MakeBitmap(screen.get(), depth.bits);
    ASSERT_TRUE(source.bitmap);

    CDib dib;
    ASSERT_TRUE(dib.CreateFromBitmap(screen.get(), source.bitmap.get()));
    EXPECT_EQ(13, dib.Width());
    EXPECT_EQ(5, dib.Height());

    const BITMAPINFOHEADER& header = dib.Header()->bmiHeader;
    EXPECT_EQ(40u, header.biSize);
    EXPECT_EQ(13, header.biWidth);
    EXPECT_EQ(5, header.biHeight);
    EXPECT_EQ(1, header.biPlanes);
    EXPECT_EQ(depth.bits, header.biBitCount);
    EXPECT_EQ(static_cast<DWORD>(BI_RGB), header.biCompression);
    EXPECT_EQ(depth.imageSize, header.biSizeImage);

    const size_t stride = depth.imageSize / 5;
    for (int row = 0; row < 5; ++row)
        EXPECT_EQ(0, std::memcmp(source.pixels + row * stride, dib.Bits() + row * stride, depth.rowBytes))
            << "row " << row;

    if (depth.colours == 0) {
        EXPECT_EQ(nullptr, dib.Palette());
        return;
    }
    ASSERT_NE(nullptr, dib.Palette());
    std::vector<PALETTEENTRY> entries(depth.colours + 1);
    ASSERT_EQ(static_cast<UINT>(depth.colours),
              GetPaletteEntries(dib.Palette(), 0, static_cast<UINT>(entries.size()), entries.data()));
    for (int i = 0; i < depth.colours; ++i) {
        const RGBQUAD& want = source.table[i];
        EXPECT_EQ(RGB(want.rgbRed, want.rgbGreen, want.rgbBlue),
                  RGB(entries[i].peRed, entries[i].peGreen, entries[i].peBlue)) << "entry " << i;
        EXPECT_EQ(want.rgbRed, dib.Header()->bmiColors[i].rgbRed) << "entry " << i;
        EXPECT_EQ(0, entries[i].peFlags);
    }
}

// 13 pixels: 2 bytes at 1 bit (padded to 4), 7 at 4 bits (to 8), 13 at 8
// bits (to 16), 39 at 24 bits (to 40).
INSTANTIATE_TEST_SUITE_P(AllDepths, DibDepths,
                         ::testing::Values(Depth{1, 2, 20, 1}, Depth{4, 16, 40, 6}, Depth{8, 256, 80, 13},
                                           Depth{24, 0, 200, 39}));

TEST(Dib, ADeviceBitmapOfTheScreenBecomes24BitWithoutPalette) {
    ScopedGetDC screen(nullptr);
    BitmapHandle bitmap(CreateCompatibleBitmap(screen.get(), 10, 3));
    ASSERT_TRUE(bitmap);
    CDib dib;
    ASSERT_TRUE(dib.CreateFromBitmap(screen.get(), bitmap.get()));
    EXPECT_EQ(24, dib.Header()->bmiHeader.biBitCount);
    EXPECT_EQ(32u * 3, dib.Header()->bmiHeader.biSizeImage);  // rows of 30 bytes padded to 32
    EXPECT_EQ(nullptr, dib.Palette());
}

}  // namespace
