#include "LibraryFixture.h"

#include "../../core/Resample.h"

#include <png.h>

#include <cstring>

using namespace zeltest;

TEST_F(LibraryTest, FormatTableListsBuiltInsThenTheSystemsDecoders) {
    const int count = lib->GetFormatCount();
    ASSERT_GE(count, 6);
    const char* builtIn[] = {"BMP", "JPEG", "PNG", "GIF"};
    bool sawTiff = false, sawIco = false;
    for (int i = 0; i < count; ++i) {
        FormatInfo info;
        std::memset(&info, 0x55, sizeof info);
        ASSERT_EQ(0, lib->GetFormatInfo(i, &info));
        if (i < 4) { EXPECT_STREQ(builtIn[i], info.tag); }
        EXPECT_NE(0, info.readable);
        EXPECT_EQ(i == 0 ? 1 : 0, info.writable) << info.tag;
        EXPECT_EQ('*', info.patterns[0]) << info.tag;
        EXPECT_NE(nullptr, std::memchr(info.description, 0, sizeof info.description));
        sawTiff |= std::strstr(info.patterns, "*.tif") != nullptr;
        sawIco |= std::strstr(info.patterns, "*.ico") != nullptr;
    }
    EXPECT_TRUE(sawTiff);
    EXPECT_TRUE(sawIco);
    FormatInfo info;
    EXPECT_NE(0, lib->GetFormatInfo(count, &info));
    EXPECT_NE(0, lib->GetFormatInfo(-1, &info));
}

TEST_F(LibraryTest, EachFormatDecodesToTheRightPixels) {
    const zel::Image photo = Pattern(61, 47);
    const zel::Image indexed = PalettePattern(61, 47, 200, 8);
    struct Case { const char* name; Bytes bytes; const zel::Image* expected; double minPsnr; int format; };
    zel::Image photoBmp = photo;
    Bytes bmp;
    ASSERT_EQ(zel::kOk, zel::WriteBmp(photoBmp, bmp));
    const Case cases[] = {
        {"p.bmp", bmp, &photo, 99, 0},
        {"p.jpg", EncodeJpeg(photo), &photo, 30, 1},
        {"p.png", EncodePng(photo, PNG_COLOR_TYPE_RGB, 16), &photo, 50, 2},
        {"p.gif", EncodeGif(indexed, true), &indexed, 99, 3},
        {"p.tif", MakeTiff(photo), &photo, 99, -1},
        {"p.ico", MakeIco(Pattern(32, 32)), nullptr, 99, -1},
    };
    const zel::Image icon = Pattern(32, 32);
    for (const Case& c : cases) {
        ImageHandle image = Load(Save(c.name, c.bytes));
        ASSERT_NE(0u, image) << c.name;
        const zel::Image& expected = c.expected ? *c.expected : icon;
        const ImageInfo info = Info(image);
        EXPECT_EQ(expected.width, info.width) << c.name;
        EXPECT_EQ(expected.height, info.height) << c.name;
        if (c.format >= 0) EXPECT_EQ(c.format, info.formatIndex) << c.name;
        else EXPECT_GE(info.formatIndex, 4) << c.name << " comes through WIC";
        EXPECT_GE(Psnr(expected, Pixels(image)), c.minPsnr) << c.name;
        lib->FreeImage(image);
    }
}

TEST_F(LibraryTest, PhotosStandUprightAndBigJpegsReduceThroughTheDecoder) {
    JpegOptions turned;
    turned.orientation = 6;
    ImageHandle image = Load(Save("turned.jpg", EncodeJpeg(Pattern(80, 50), turned)));
    EXPECT_EQ(50, Info(image).width);
    EXPECT_EQ(80, Info(image).height);
    lib->FreeImage(image);

    // Reduced by more than half: decoded at a DCT scale, yet as close to the
    // full decode as any good reduction.
    const zel::Image photo = Pattern(640, 480);
    ImageHandle big = Load(Save("big.jpg", EncodeJpeg(photo)));
    ImageHandle small = 0;
    ASSERT_EQ(0, lib->ResizeImage(big, &small, 150, 100, RESIZE_REDUCE));
    EXPECT_EQ(150, Info(small).width);
    EXPECT_EQ(100, Info(small).height);
    EXPECT_EQ(640, Info(big).width) << "the source keeps its size";
    zel::Image reference;
    ASSERT_EQ(zel::kOk, zel::Resize(photo, 150, 100, reference));
    EXPECT_GT(Psnr(reference, Pixels(small)), 28);
    lib->FreeImage(small);
    lib->FreeImage(big);
}
