#include "../../core/Resample.h"
#include "../TestImages.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace zel;
using namespace zeltest;

TEST(Resize, MakesExactlyTheAskedSizeInBothDirections) {
    const Image source = Pattern(64, 48);
    const int sizes[][2] = {{16, 12}, {17, 13}, {1, 1}, {64, 10}, {10, 48}, {200, 150}, {63, 97}};
    for (const auto& s : sizes) {
        Image out;
        ASSERT_EQ(kOk, Resize(source, s[0], s[1], out));
        EXPECT_EQ(s[0], out.width);
        EXPECT_EQ(s[1], out.height);
        EXPECT_EQ(24, out.bits);
        EXPECT_EQ(size_t(s[0]) * s[1] * 3, out.pixels.size());
    }
}

TEST(Resize, FlatColourStaysExactAndSourceIsUntouched) {
    const Image source = Flat(40, 30, Rgb{200, 17, 90});
    const Image before = source;
    for (auto size : {std::make_pair(13, 7), std::make_pair(120, 95)}) {
        Image out;
        ASSERT_EQ(kOk, Resize(source, size.first, size.second, out));
        for (int32_t y = 0; y < out.height; ++y)
            for (int32_t x = 0; x < out.width; ++x) ASSERT_EQ((Rgb{200, 17, 90}), PixelAt(out, x, y));
    }
    EXPECT_TRUE(SamePixels(before, source));
}

TEST(Resize, HalvingAveragesEachTwoByTwoBlock) {
    const Image source = Pattern(32, 24);
    Image out;
    ASSERT_EQ(kOk, Resize(source, 16, 12, out));
    for (int32_t y = 0; y < 12; ++y)
        for (int32_t x = 0; x < 16; ++x) {
            int sum = 0;
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 2; ++dx) sum += PixelAt(source, 2 * x + dx, 2 * y + dy).r;
            EXPECT_NEAR(sum / 4.0, PixelAt(out, x, y).r, 1.0) << x << "," << y;
        }
}

TEST(Resize, EnlargingIsSmoothNotBlocky) {
    // A horizontal ramp enlarged 4x must stay a ramp: no runs of four equal
    // values as pixel repetition would give.
    Image ramp;
    ASSERT_EQ(kOk, AllocateImage(ramp, 16, 2, 24));
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 16; ++x) ramp.Row(y)[x * 3 + 2] = uint8_t(x * 16);
    Image out;
    ASSERT_EQ(kOk, Resize(ramp, 64, 8, out));
    int distinct = 0;
    for (int32_t x = 8; x < 56; ++x) {
        EXPECT_GE(PixelAt(out, x, 4).r + 1, PixelAt(out, x - 1, 4).r) << "ramp goes back at " << x;
        if (PixelAt(out, x, 4).r != PixelAt(out, x - 1, 4).r) ++distinct;
    }
    EXPECT_GT(distinct, 40);
}

TEST(Resize, PalettePicturesAndBadSizes) {
    const Image indexed = PalettePattern(20, 10, 16, 4);
    Image out;
    ASSERT_EQ(kOk, Resize(indexed, 20, 10, out));
    EXPECT_EQ(24, out.bits);
    EXPECT_TRUE(SamePixels(indexed, out));
    EXPECT_EQ(kErrBadSize, Resize(indexed, 0, 10, out));
    EXPECT_EQ(kErrBadSize, Resize(indexed, 10, -3, out));
    EXPECT_EQ(kErrBadSize, Resize(indexed, 70000, 70000, out));
}
