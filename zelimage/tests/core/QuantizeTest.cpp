#include "../../core/Quantize.h"
#include "../TestImages.h"

#include <gtest/gtest.h>

#include <set>

using namespace zel;
using namespace zeltest;

namespace {

double Brightness(const Image& image) {
    double sum = 0;
    for (int32_t y = 0; y < image.height; ++y)
        for (int32_t x = 0; x < image.width; ++x) {
            Rgb c = PixelAt(image, x, y);
            sum += c.r + c.g + c.b;
        }
    return sum / (3.0 * image.width * image.height);
}

}  // namespace

TEST(ReduceColors, PaletteDepthsKeepWithinTheirColourCount) {
    const Image photo = Pattern(120, 90);
    const struct { int bits; int storage; size_t colors; double minPsnr; } cases[] = {
        {8, 8, 256, 28}, {5, 8, 32, 19}, {4, 4, 16, 16}, {1, 1, 2, 8},
    };
    for (const auto& c : cases) {
        Image out;
        ASSERT_EQ(kOk, ReduceColors(photo, c.bits, 1 << c.bits, ReduceMethod::kOptimizedDiffused, out)) << c.bits;
        EXPECT_EQ(c.storage, out.bits);
        EXPECT_LE(out.palette.size(), c.colors);
        EXPECT_GE(out.palette.size(), c.colors / 2) << "palette too small for " << c.bits << " bits";
        for (uint8_t index : out.pixels) ASSERT_LT(index, out.palette.size());
        EXPECT_GT(Psnr(photo, out), c.minPsnr) << c.bits;
        EXPECT_NEAR(Brightness(photo), Brightness(out), 3.0) << "diffusion keeps the average, " << c.bits;
    }
}

TEST(ReduceColors, HighColourAndNothingToReduce) {
    const Image photo = Pattern(40, 30);
    Image out;
    ASSERT_EQ(kOk, ReduceColors(photo, 16, 65536, ReduceMethod::kOptimizedDiffused, out));
    EXPECT_EQ(16, out.bits);
    for (uint8_t v : out.pixels) ASSERT_EQ(v, uint8_t((((v * 31 + 127) / 255) * 255 + 15) / 31)) << "off the 5-bit grid";
    EXPECT_GT(Psnr(photo, out), 35);

    for (int bits : {24, 32}) {
        ASSERT_EQ(kNothingToDo, ReduceColors(photo, bits, 1 << 24, ReduceMethod::kOptimizedDiffused, out));
        EXPECT_TRUE(SamePixels(photo, out));
        EXPECT_EQ(24, out.bits);
    }
    const Image sixteen = PalettePattern(30, 20, 16, 4);
    ASSERT_EQ(kNothingToDo, ReduceColors(sixteen, 8, 256, ReduceMethod::kOptimizedDiffused, out));
    EXPECT_TRUE(SamePixels(sixteen, out));
    EXPECT_EQ(4, out.bits);
    ASSERT_EQ(kOk, ReduceColors(sixteen, 1, 2, ReduceMethod::kOptimizedDiffused, out));
    EXPECT_EQ(2u, out.palette.size());
}

TEST(ReduceColors, FewColoursAreKeptExactlyWithoutDither) {
    Image three = Flat(30, 10, Rgb{10, 20, 30});
    for (int32_t y = 0; y < 10; ++y)
        for (int32_t x = 10; x < 30; ++x) {
            uint8_t* p = three.Row(y) + x * 3;
            p[0] = x < 20 ? 255 : 0; p[1] = 128; p[2] = 64;
        }
    Image out;
    ASSERT_EQ(kOk, ReduceColors(three, 4, 16, ReduceMethod::kOptimizedDiffused, out));
    EXPECT_EQ(3u, out.palette.size());
    EXPECT_TRUE(SamePixels(three, out));
}

TEST(ReduceColors, FixedPaletteMapsWithoutDithering) {
    const Image gray = Flat(16, 16, Rgb{100, 100, 100});
    Image varied = Pattern(64, 64);
    Image out;
    ASSERT_EQ(kOk, ReduceColors(varied, 4, 16, ReduceMethod::kFixedPalette, out));
    EXPECT_EQ(FixedPalette(16), out.palette);
    ASSERT_EQ(kOk, ReduceColors(gray, 1, 2, ReduceMethod::kFixedPalette, out));
    std::set<uint8_t> used(out.pixels.begin(), out.pixels.end());
    EXPECT_EQ(1u, used.size()) << "a flat area is one colour without dithering";
    EXPECT_EQ(kErrBadArgument, ReduceColors(varied, 0, 2, ReduceMethod::kFixedPalette, out));
    EXPECT_EQ(kErrBadArgument, ReduceColors(varied, 8, 256, ReduceMethod(5), out));
}
