// Fitting, tiling, calendar placement and the output path.
#include "WallpaperTestSupport.h"
#include "wallpaper/Composition.h"
#include "ImageLibrary.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

void ExpectFit(int32_t position, PixelSize screen, PixelSize picture, bool needed, PixelSize size, int32_t mode) {
    const FitResize fit = FitPicture(position, screen, picture);
    EXPECT_EQ(needed, fit.needed);
    if (!needed) return;
    EXPECT_EQ(size.width, fit.size.width);
    EXPECT_EQ(size.height, fit.size.height);
    EXPECT_EQ(mode, fit.mode);
}

RECT Calendar(int32_t calendarPosition, int32_t vistalPosition, PixelSize screen, const PixelSize* picture,
              bool* placed = nullptr) {
    RECT r{-1, -1, -1, -1};
    const bool ok = CalendarRectangle({calendarPosition, 150, 125, 30, 30}, vistalPosition, screen, picture, &r);
    if (placed) *placed = ok;
    return r;
}

}  // namespace

TEST(FitPicture, MaximumFitUsesSinglePrecisionRatios) {
    ExpectFit(3, {1024, 768}, {800, 600}, true, {1024, 767}, RESIZE_ENLARGE);
    ExpectFit(3, {1280, 1024}, {640, 480}, true, {1280, 960}, RESIZE_ENLARGE);
    ExpectFit(3, {1920, 1080}, {1280, 720}, true, {1920, 1080}, RESIZE_ENLARGE);
    ExpectFit(3, {1024, 768}, {200, 700}, true, {219, 768}, RESIZE_ENLARGE);
    ExpectFit(3, {1024, 768}, {4000, 1000}, true, {1024, 256}, RESIZE_REDUCE);
    ExpectFit(3, {1024, 768}, {1024, 500}, false, {}, 0);  // already fills the width
}

TEST(FitPicture, FitDesktopStretchesToTheScreen) {
    ExpectFit(2, {1024, 768}, {1024, 768}, false, {}, 0);
    ExpectFit(2, {1024, 768}, {1600, 1200}, true, {1024, 768}, RESIZE_REDUCE);
    ExpectFit(2, {1024, 768}, {1024, 600}, true, {1024, 768}, RESIZE_REDUCE);  // not larger both ways
    ExpectFit(2, {1024, 768}, {640, 480}, true, {1024, 768}, RESIZE_ENLARGE);
}

TEST(FitPicture, CenteredTiledAndBadSizesAreLeftAlone) {
    ExpectFit(0, {1024, 768}, {1600, 1200}, false, {}, 0);
    ExpectFit(1, {1024, 768}, {300, 200}, false, {}, 0);
    ExpectFit(7, {1024, 768}, {300, 200}, false, {}, 0);
    ExpectFit(3, {1024, 768}, {0, 200}, false, {}, 0);
    ExpectFit(2, {1024, 768}, {-5, 200}, false, {}, 0);
}

TEST(Tiling, PastesRowByRowClippingTheLastColumnAndRow) {
    const auto tiles = TileRectangles({1024, 768}, {300, 200});
    ASSERT_EQ(16u, tiles.size());
    ExpectRect(tiles[0], 0, 0, 300, 200);
    ExpectRect(tiles[3], 900, 0, 1200, 200);
    ExpectRect(tiles[4], 0, 200, 300, 400);
    ExpectRect(tiles[15], 900, 600, 1200, 800);
    EXPECT_TRUE(NeedsTiling(1, {1024, 768}, {300, 200}));
    EXPECT_TRUE(NeedsTiling(1, {1024, 768}, {2000, 200}));  // lower than the screen
    EXPECT_FALSE(NeedsTiling(1, {1024, 768}, {1024, 768}));
    EXPECT_FALSE(NeedsTiling(0, {1024, 768}, {300, 200}));
    EXPECT_TRUE(TileRectangles({1024, 768}, {0, 10}).empty());  // never an endless loop
}

TEST(CalendarPlacement, CenteredPicturesPlaceTheCalendarInTheVisiblePart) {
    const PixelSize big{1600, 1200};
    ExpectRect(Calendar(2, 0, {1024, 768}, &big), 318, 246, 468, 371);
    const PixelSize small{640, 480};
    ExpectRect(Calendar(5, 0, {1024, 768}, &small), 460, 325, 610, 450);
}

TEST(CalendarPlacement, EveryPositionAgainstTheScreen) {
    const PixelSize screenSized{1024, 768};
    ExpectRect(Calendar(1, 2, {1024, 768}, &screenSized), 437, 321, 587, 446);
    ExpectRect(Calendar(2, 2, {1024, 768}, &screenSized), 30, 30, 180, 155);
    ExpectRect(Calendar(3, 2, {1024, 768}, &screenSized), 844, 30, 994, 155);
    ExpectRect(Calendar(4, 2, {1024, 768}, &screenSized), 30, 613, 180, 738);
    ExpectRect(Calendar(5, 2, {1024, 768}, &screenSized), 844, 613, 994, 738);
}

TEST(CalendarPlacement, TiledUnknownAndOddCases) {
    const PixelSize tile{300, 200};
    ExpectRect(Calendar(5, 1, {1024, 768}, &tile), 844, 613, 994, 738);  // tiled: the screen
    const PixelSize huge{3000, 2000};
    ExpectRect(Calendar(2, 1, {1024, 768}, &huge), 30, 30, 180, 155);    // no offset when tiled
    ExpectRect(Calendar(2, 0, {1024, 768}, nullptr), 30, 30, 180, 155);  // size unknown
    const PixelSize tiny{100, 80};
    const RECT r = Calendar(1, 3, {1024, 768}, &tiny);
    EXPECT_EQ(-25, r.left);  // larger than the picture: passed unclamped
    EXPECT_EQ(-22, r.top);
    bool placed = true;
    Calendar(6, 2, {1024, 768}, &tiny, &placed);
    EXPECT_FALSE(placed);
    Calendar(0, 2, {1024, 768}, &tiny, &placed);
    EXPECT_FALSE(placed);
    Calendar(-1, 2, {1024, 768}, &tiny, &placed);
    EXPECT_FALSE(placed);
}

TEST(OutputPath, NextToTheProgramWhateverThePathLooksLike) {
    EXPECT_EQ("C:\\Program Files\\Vistals\\vistals.bmp", WallpaperOutputPath("C:\\Program Files\\Vistals\\Vistals.exe"));
    EXPECT_EQ("\\\\server\\share\\Vistals\\vistals.bmp", WallpaperOutputPath("\\\\server\\share\\Vistals\\Vistals.exe"));
    EXPECT_EQ(".\\vistals.bmp", WallpaperOutputPath("Vistals.exe"));
    const std::string deep = "C:\\" + std::string(300, 'd') + "\\" + std::string(200, 'e');
    EXPECT_EQ(deep + "\\vistals.bmp", WallpaperOutputPath(deep + "\\Vistals.exe"));
}

TEST(CalendarPlacement, StoredValuesAtTheEndsOfTheirRangeNeitherOverflowNorWrap) {
    const PixelSize screen{1024, 768};
    auto place = [&](int32_t position, int32_t w, int32_t h, int32_t mx, int32_t my) {
        RECT r{};
        EXPECT_TRUE(CalendarRectangle({position, w, h, mx, my}, 2, screen, &screen, &r));
        // Widths and heights stay within 32 bits for whoever subtracts.
        EXPECT_LE(std::abs(static_cast<int64_t>(r.right) - r.left), INT32_MAX);
        EXPECT_LE(std::abs(static_cast<int64_t>(r.bottom) - r.top), INT32_MAX);
        return r;
    };
    const LONG limit = 0x3FFFFFFF;
    // Lower right, as wide as 32 bits allow: the left edge lies ~2^31 to the
    // left, beyond reach, and is held at the limit; the right edge is exact.
    ExpectRect(place(5, INT32_MAX, 125, 30, 30), -limit, 613, 994, 738);
    // Upper left with the largest margins: far off to the lower right.
    ExpectRect(place(2, 150, 125, INT32_MAX, INT32_MAX), limit, limit, limit, limit);
    // Centered with the most negative size: (1024 + 2^31) / 2 is past the
    // limit, and the right edge lands at 1073742336 - 2^31.
    ExpectRect(place(1, INT32_MIN, 125, 30, 30), limit, 321, -1073741312, 446);
    // Upper right with the most negative margin.
    ExpectRect(place(3, 150, 125, INT32_MIN, 30), limit, 30, limit, 155);
    // Lower left with everything at its minimum.
    ExpectRect(place(4, INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN), -limit, limit, -limit, limit);
    // Ordinary values pass unchanged, even far outside the picture.
    ExpectRect(place(2, 150, 125, -5000, 900), -5000, 900, -4850, 1025);
}
