// The whole change on a screen of fewer colours (run by on-screen-of-depth.sh
// on a 16-bit and on an 8-bit display): the wallpaper file is written with
// the display's depth, and the desktop shows it.
#include "support/ProgramProcess.h"
#include "support/Registry.h"
#include "support/RegistrySandbox.h"
#include "support/TestBitmaps.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const COLORREF kColor = RGB(200, 40, 80);

int ScreenDepth() {
    HDC screen = GetDC(nullptr);
    const int depth = GetDeviceCaps(screen, PLANES) * GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    return depth;
}

uint32_t U32(const std::string& b, size_t at) {
    return uint8_t(b[at]) | uint8_t(b[at + 1]) << 8 | uint8_t(b[at + 2]) << 16 | uint32_t(uint8_t(b[at + 3])) << 24;
}

// Bits per pixel of a BMP file and the colour of its top-left pixel, for the
// 8-bit (palette) and 16-bit (5-5-5 or bit-field) forms.
struct BmpSample {
    int bits = 0;
    COLORREF topLeft = CLR_INVALID;
};

BmpSample Sample(const std::string& bytes) {
    BmpSample sample;
    if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M') return sample;
    sample.bits = uint8_t(bytes[28]) | uint8_t(bytes[29]) << 8;
    const int32_t width = static_cast<int32_t>(U32(bytes, 18)), height = static_cast<int32_t>(U32(bytes, 22));
    const size_t stride = (size_t(width) * sample.bits + 31) / 32 * 4;
    const size_t row = height > 0 ? size_t(height - 1) : 0;  // the top row of a bottom-up file is last
    const size_t at = U32(bytes, 10) + row * stride;
    if (at + 2 > bytes.size()) return sample;
    if (sample.bits == 8) {
        const size_t entry = 14 + U32(bytes, 14) + 4 * uint8_t(bytes[at]);
        sample.topLeft = RGB(uint8_t(bytes[entry + 2]), uint8_t(bytes[entry + 1]), uint8_t(bytes[entry]));
    } else if (sample.bits == 16) {
        const uint32_t pixel = uint8_t(bytes[at]) | uint8_t(bytes[at + 1]) << 8;
        const bool sixBitGreen = U32(bytes, 30) == BI_BITFIELDS && U32(bytes, 54 + 4) == 0x07E0;
        if (sixBitGreen)
            sample.topLeft = RGB((pixel >> 11 & 31) << 3, (pixel >> 5 & 63) << 2, (pixel & 31) << 3);
        else
            sample.topLeft = RGB((pixel >> 10 & 31) << 3, (pixel >> 5 & 31) << 3, (pixel & 31) << 3);
    }
    return sample;
}

}  // namespace

TEST(DisplayDepth, TheWallpaperHasTheDisplaysDepthAndTheDesktopShowsIt) {
    const int depth = ScreenDepth();
    ASSERT_TRUE(depth == 16 || depth == 8) << "run on a 16- or 8-bit screen, not " << depth;
    RegistrySandbox sandbox;
    const std::string wallpaper = DistDir() + "\\vistals.bmp";
    DeleteFileA(wallpaper.c_str());
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kDesktopKey, "Wallpaper");
    const std::string picture = MakeTempFolder("depth") + "\\solid.bmp";
    ASSERT_TRUE(WriteSolidBmp(picture, 1024, 768, kColor));

    // What the desktop shows before, far from the picture's colour.
    HDC screen = GetDC(nullptr);
    const COLORREF background = GetPixel(screen, 300, 200);
    ASSERT_FALSE(ColorsNear(kColor, background, 48)) << std::hex << background;

    ProgramProcess program;
    ASSERT_TRUE(program.Start({picture}));
    ASSERT_TRUE(WaitUntil([&] { return DesktopValue("Wallpaper") == wallpaper; }, 30000));

    // Depth 5 to 24: as many bits as the display has.
    const BmpSample file = Sample(ReadFileBytes(wallpaper));
    EXPECT_EQ(depth, file.bits);
    // 5 bits per channel keep a channel within 8 of its value; a palette
    // of the picture's own colours keeps it exactly.
    EXPECT_TRUE(ColorsNear(kColor, file.topLeft, depth == 8 ? 0 : 8)) << std::hex << file.topLeft;

    // The desktop repaints with it (away from the taskbar at the bottom); an
    // 8-bit screen maps it to the nearest colour of the display's palette.
    const int tolerance = depth == 8 ? 32 : 12;
    COLORREF shown = CLR_INVALID;
    WaitUntil([&] { return ColorsNear(kColor, shown = GetPixel(screen, 300, 200), tolerance); }, 10000);
    ReleaseDC(nullptr, screen);
    EXPECT_TRUE(ColorsNear(kColor, shown, tolerance)) << std::hex << shown;
    EXPECT_TRUE(program.Exit());
}
