#include "../../codecs/Decoders.h"
#include "../TestImages.h"

#include <gtest/gtest.h>

#include <png.h>
#include <zlib.h>

#include <cstdlib>
#include <random>

using namespace zel;
using namespace zeltest;

namespace {

Image Decode(const Bytes& file, Status expected = kOk) {
    Image image;
    Status status = kErrUnsupported;
    switch (SniffFileKind(file.data(), file.size())) {
    case FileKind::kJpeg: status = DecodeJpeg(file.data(), file.size(), 8, image); break;
    case FileKind::kPng: status = DecodePng(file.data(), file.size(), image); break;
    case FileKind::kGif: status = DecodeGif(file.data(), file.size(), image); break;
    default: break;
    }
    EXPECT_EQ(expected, status);
    return image;
}

Image Gray(const Image& image) {
    Image gray = image;
    for (int32_t y = 0; y < gray.height; ++y)
        for (int32_t x = 0; x < gray.width; ++x) {
            uint8_t* p = gray.Row(y) + x * 3;
            p[0] = p[2] = p[1];
        }
    return gray;
}

}  // namespace

TEST(PngDecoding, EveryColourTypeAndDepth) {
    const Image photo = Pattern(37, 23);
    EXPECT_TRUE(SamePixels(photo, Decode(EncodePng(photo, PNG_COLOR_TYPE_RGB, 8))));
    EXPECT_TRUE(SamePixels(photo, Decode(EncodePng(photo, PNG_COLOR_TYPE_RGB, 8, {}, true)))) << "interlaced";
    EXPECT_GT(Psnr(photo, Decode(EncodePng(photo, PNG_COLOR_TYPE_RGB, 16))), 50) << "16-bit";
    EXPECT_TRUE(SamePixels(Gray(photo), Decode(EncodePng(photo, PNG_COLOR_TYPE_GRAY, 8))));
    EXPECT_GT(Psnr(Gray(photo), Decode(EncodePng(photo, PNG_COLOR_TYPE_GRAY, 16))), 50);
    for (int bits : {1, 2, 4, 8}) {
        const Image indexed = PalettePattern(19, 11, 1 << bits, bits == 2 ? 4 : bits);
        EXPECT_TRUE(SamePixels(indexed, Decode(EncodePng(indexed, PNG_COLOR_TYPE_PALETTE, bits)))) << bits;
    }
    Image levels = Flat(4, 1, Rgb{});
    for (int x = 0; x < 4; ++x) levels.Row(0)[x * 3 + 1] = uint8_t(x * 85);
    Image twoBit = Decode(EncodePng(levels, PNG_COLOR_TYPE_GRAY, 2));
    EXPECT_EQ((Rgb{170, 170, 170}), PixelAt(twoBit, 2, 0)) << "2-bit grey scaled to 8 bits";
}

TEST(PngDecoding, TransparencyIsCompositedOnBlack) {
    const Image photo = Flat(4, 1, Rgb{200, 100, 50});
    const std::vector<uint8_t> alpha = {255, 0, 128, 255};
    for (int depth : {8, 16}) {
        Image out = Decode(EncodePng(photo, PNG_COLOR_TYPE_RGB_ALPHA, depth, alpha));
        EXPECT_EQ((Rgb{200, 100, 50}), PixelAt(out, 0, 0)) << depth;
        EXPECT_EQ((Rgb{0, 0, 0}), PixelAt(out, 1, 0)) << depth;
        EXPECT_GT(PixelAt(out, 2, 0).r, 50);
        EXPECT_LT(PixelAt(out, 2, 0).r, 200);
    }
    Image indexed = PalettePattern(8, 1, 4, 8);
    Image out = Decode(EncodePng(indexed, PNG_COLOR_TYPE_PALETTE, 8, {255, 0, 255, 255}));
    for (int32_t x = 0; x < 8; ++x)
        EXPECT_EQ(indexed.Row(0)[x] == 1 ? Rgb{} : PixelAt(indexed, x, 0), PixelAt(out, x, 0)) << x;
}

// Pictures with this much pixel data are inflated on a helper thread; the
// 16-bit ones also go through the SSE2 filters for 6- and 8-byte pixels.
TEST(PngDecoding, LargePicturesComeOutExact) {
    Image noisy = Pattern(301, 203);
    std::mt19937 random(3);
    for (auto& v : noisy.pixels) v = uint8_t(v ^ (random() & 0x1F));
    const Bytes eightBit = EncodePng(noisy, PNG_COLOR_TYPE_RGB, 8);
    ASSERT_GT(eightBit.size(), 100000u) << "big enough for the helper thread";
    EXPECT_TRUE(SamePixels(noisy, Decode(eightBit)));
    EXPECT_TRUE(SamePixels(noisy, Decode(EncodePng(noisy, PNG_COLOR_TYPE_RGB, 16)))) << "16-bit";
    EXPECT_TRUE(SamePixels(noisy, Decode(EncodePng(noisy, PNG_COLOR_TYPE_RGB, 16, {}, true)))) << "16-bit interlaced";
    std::vector<uint8_t> alpha(size_t(noisy.width) * size_t(noisy.height));
    for (auto& a : alpha) a = uint8_t(random());
    Image expected = noisy;
    for (size_t i = 0; i < expected.pixels.size(); ++i)
        expected.pixels[i] = uint8_t((expected.pixels[i] * alpha[i / 3] + 127) / 255);
    EXPECT_TRUE(SamePixels(expected, Decode(EncodePng(noisy, PNG_COLOR_TYPE_RGB_ALPHA, 16, alpha)))) << "16-bit RGBA";
}

TEST(PngDecoding, LargeDamagedPicturesFailCleanly) {
    Image noisy = Pattern(260, 180);
    std::mt19937 random(5);
    for (auto& v : noisy.pixels) v = uint8_t(v ^ (random() & 0x3F));
    const Bytes good = EncodePng(noisy, PNG_COLOR_TYPE_RGB, 8);
    ASSERT_GT(good.size(), 100000u) << "big enough for the helper thread";
    // A changed byte in the pixel data, the chunk's CRC left as it was.
    Bytes changed = good;
    changed[good.size() / 2] ^= 0x10;
    Image image;
    std::string problem;
    EXPECT_EQ(kErrDamaged, DecodePng(changed.data(), changed.size(), image, &problem));
    EXPECT_NE(std::string::npos, problem.find("CRC")) << problem;

    const Bytes cut(good.begin(), good.begin() + ptrdiff_t(good.size() * 2 / 3));
    problem.clear();
    EXPECT_EQ(kErrDamaged, DecodePng(cut.data(), cut.size(), image, &problem));
    EXPECT_FALSE(problem.empty());
    for (int round = 0; round < 20; ++round) {
        Bytes flipped = good;
        for (int k = 0; k < 3; ++k) flipped[60 + random() % (flipped.size() - 80)] ^= uint8_t(1 << (random() % 8));
        if (DecodePng(flipped.data(), flipped.size(), image) == kOk) {
            ASSERT_EQ(image.Stride() * size_t(image.height), image.pixels.size());
        }
    }
}

TEST(JpegDecoding, BaselineProgressiveGreyAndScaled) {
    const Image photo = Pattern(96, 64);
    EXPECT_GT(Psnr(photo, Decode(EncodeJpeg(photo))), 30);
    JpegOptions progressive;
    progressive.progressive = true;
    EXPECT_GT(Psnr(photo, Decode(EncodeJpeg(photo, progressive))), 30);
    JpegOptions gray;
    gray.grayscale = true;
    EXPECT_GT(Psnr(Gray(photo), Decode(EncodeJpeg(photo, gray))), 30);

    const Bytes file = EncodeJpeg(photo);
    Image half;
    ASSERT_EQ(kOk, DecodeJpeg(file.data(), file.size(), 4, half));
    EXPECT_EQ(48, half.width);
    EXPECT_EQ(32, half.height);
    HeaderInfo info;
    ASSERT_EQ(kOk, ReadJpegInfo(file.data(), file.size(), info));
    EXPECT_EQ(4, ChooseJpegScale(info, 40, 30));
    EXPECT_EQ(8, ChooseJpegScale(info, 90, 30));
    EXPECT_EQ(1, ChooseJpegScale(info, 12, 8));
}

// A sound 12-bit file is one this build cannot read, not a damaged one.
TEST(JpegDecoding, TwelveBitSamplesAreUnsupportedNotDamaged) {
    Bytes file = EncodeJpeg(Pattern(16, 16));
    size_t frame = 2;
    while (frame + 4 < file.size() && !(file[frame] == 0xFF && file[frame + 1] == 0xC0)) ++frame;
    ASSERT_LT(frame + 4, file.size());
    file[frame + 4] = 12;  // the frame header's sample precision
    HeaderInfo info;
    EXPECT_EQ(kErrUnsupported, ReadJpegInfo(file.data(), file.size(), info));
    EXPECT_NE(std::string::npos, info.problem.find("12"));
    Image image;
    EXPECT_EQ(kErrUnsupported, DecodeJpeg(file.data(), file.size(), 8, image));
}

TEST(JpegDecoding, ExifOrientationStandsThePhotoUpright) {
    Image photo = Flat(40, 24, Rgb{0, 0, 0});
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 8; ++x) photo.Row(y)[x * 3 + 2] = 255;  // red block top left
    const struct { int orientation; int32_t x, y; } cases[] = {
        {1, 2, 2}, {3, 37, 21}, {6, 21, 2}, {8, 2, 37}, {2, 37, 2},
    };
    for (const auto& c : cases) {
        JpegOptions options;
        options.orientation = c.orientation;
        const Bytes file = EncodeJpeg(photo, options);
        HeaderInfo info;
        ASSERT_EQ(kOk, ReadJpegInfo(file.data(), file.size(), info));
        EXPECT_EQ(c.orientation, info.orientation);
        Image out = Decode(file);
        const bool turned = c.orientation >= 5;
        EXPECT_EQ(turned ? 24 : 40, out.width);
        EXPECT_EQ(turned ? 40 : 24, info.height);
        EXPECT_GT(PixelAt(out, c.x, c.y).r, 200) << "orientation " << c.orientation;
    }
}

TEST(GifDecoding, FirstFrameWithInterlaceAndTransparency) {
    const Image indexed = PalettePattern(21, 17, 16, 8);
    Image out = Decode(EncodeGif(indexed, false, -1, 3));
    EXPECT_TRUE(SamePixels(indexed, out)) << "only the first of three frames";
    EXPECT_TRUE(SamePixels(indexed, Decode(EncodeGif(indexed, true))));
    out = Decode(EncodeGif(indexed, false, 3));
    for (int32_t x = 0; x < indexed.width; ++x)
        EXPECT_EQ(indexed.Row(0)[x] == 3 ? Rgb{} : PixelAt(indexed, x, 0), PixelAt(out, x, 0));
}

// A frame smaller than the logical screen leaves black around it, whether
// the palette has room for a black entry, holds one already, or is full.
TEST(GifDecoding, UncoveredScreenIsBlackWhateverThePalette) {
    for (int colors : {16, 256}) {
        for (bool withBlack : {false, true}) {
            Image indexed = PalettePattern(6, 4, colors, 8);
            if (withBlack) indexed.palette[5] = Rgb{};
            Bytes file = EncodeGif(indexed, false);
            file[6] = 9;  // logical screen 9 x 7 around the 6 x 4 frame at 0,0
            file[8] = 7;
            const Image out = Decode(file);
            ASSERT_EQ(9, out.width);
            ASSERT_EQ(7, out.height);
            for (int32_t y = 0; y < 7; ++y)
                for (int32_t x = 0; x < 9; ++x)
                    EXPECT_EQ(x < 6 && y < 4 ? PixelAt(indexed, x, y) : Rgb{}, PixelAt(out, x, y))
                        << colors << " colours, black " << withBlack << " at " << x << "," << y;
        }
    }
}

TEST(BmpDecoding, EmbeddedJpegAndPngStreams) {
    const Image picture = Pattern(19, 11);
    BmpRecipe recipe;
    recipe.width = 19; recipe.height = 11; recipe.bits = 0;
    recipe.compression = 5;
    recipe.pixels = EncodePng(picture, PNG_COLOR_TYPE_RGB, 8);
    Bytes file = BuildBmp(recipe);
    Image out;
    ASSERT_EQ(kOk, DecodeBmp(file.data(), file.size(), out));
    EXPECT_TRUE(SamePixels(picture, out)) << "PNG stream";

    recipe.compression = 4;
    recipe.pixels = EncodeJpeg(picture);
    file = BuildBmp(recipe);
    ASSERT_EQ(kOk, DecodeBmp(file.data(), file.size(), out));
    EXPECT_TRUE(SamePixels(Decode(recipe.pixels), out)) << "JPEG stream";

    recipe.compression = 5;  // says PNG, holds JPEG
    file = BuildBmp(recipe);
    std::string problem;
    EXPECT_EQ(kErrDamaged, DecodeBmp(file.data(), file.size(), out, &problem));
    EXPECT_FALSE(problem.empty());
}

// Truncated, bit-flipped and resized-in-the-header files of every format:
// a status or a picture, never a crash (the sanitizer build checks reads).
TEST(DamagedFiles, EveryDecoderFailsCleanly) {
    const Image photo = Pattern(48, 40);
    const std::vector<Bytes> files = {
        EncodeJpeg(photo), EncodeJpeg(photo, JpegOptions{80, true, false, 6}),
        EncodePng(photo, PNG_COLOR_TYPE_RGB, 8), EncodePng(PalettePattern(48, 40, 16, 4), PNG_COLOR_TYPE_PALETTE, 4),
        EncodeGif(PalettePattern(48, 40, 64, 8), true),
    };
    std::mt19937 random(1234);
    for (const Bytes& good : files) {
        for (size_t cut : {size_t(0), size_t(3), size_t(20), good.size() / 3, good.size() / 2, good.size() - 20}) {
            Bytes truncated(good.begin(), good.begin() + ptrdiff_t(cut));
            HeaderInfo info;
            Image image;
            Status header = kErrDamaged;
            switch (SniffFileKind(good.data(), good.size())) {
            case FileKind::kJpeg:
                header = ReadJpegInfo(truncated.data(), truncated.size(), info);
                DecodeJpeg(truncated.data(), truncated.size(), 8, image);
                break;
            case FileKind::kPng:
                header = DecodePng(truncated.data(), truncated.size(), image);
                break;
            default:
                header = DecodeGif(truncated.data(), truncated.size(), image);
                break;
            }
            EXPECT_NE(kOk, header) << "truncated at " << cut << " of " << good.size();
        }
        for (int round = 0; round < 60; ++round) {
            Bytes flipped = good;
            for (int k = 0; k < 4; ++k) flipped[random() % flipped.size()] ^= uint8_t(1 << (random() % 8));
            Image image;
            Status status = kOk;
            switch (SniffFileKind(flipped.data(), flipped.size())) {
            case FileKind::kJpeg: status = DecodeJpeg(flipped.data(), flipped.size(), 8, image); break;
            case FileKind::kPng: status = DecodePng(flipped.data(), flipped.size(), image); break;
            case FileKind::kGif: status = DecodeGif(flipped.data(), flipped.size(), image); break;
            default: status = kErrUnsupported; break;
            }
            if (status == kOk) {
                ASSERT_GT(image.width, 0);
                ASSERT_EQ(image.Stride() * size_t(image.height), image.pixels.size());
            }
        }
    }
}

TEST(DamagedFiles, ZeroAndAbsurdSizesInTheHeaders) {
    Bytes png = EncodePng(Pattern(8, 8), PNG_COLOR_TYPE_RGB, 8);
    // IHDR width and height at bytes 16 and 20 (big-endian); the CRC no longer
    // matches, which libpng must also refuse.
    Bytes zero = png;
    zero[16] = zero[17] = zero[18] = zero[19] = 0;
    HeaderInfo info;
    EXPECT_NE(kOk, ReadPngInfo(zero.data(), zero.size(), info));
    // A text chunk that claims 1.8 GB in a file of a few hundred bytes is
    // damage, found without reserving the 1.8 GB (the sanitizer run caps
    // any one allocation).
    Bytes claims = png;
    const uint8_t text[] = {0x70, 0x60, 0x00, 0x00, 't', 'E', 'X', 't', 'I', 0x18, ':'};
    claims.insert(claims.begin() + 33, std::begin(text), std::end(text));
    Image image;
    EXPECT_EQ(kErrDamaged, ReadPngInfo(claims.data(), claims.size(), info));
    EXPECT_EQ(kErrDamaged, DecodePng(claims.data(), claims.size(), image));

    Bytes gif = EncodeGif(PalettePattern(8, 8, 4, 8), false);
    Bytes zeroGif = gif;
    zeroGif[6] = zeroGif[7] = 0;
    EXPECT_EQ(kErrBadSize, DecodeGif(zeroGif.data(), zeroGif.size(), image));

    Bytes jpeg = EncodeJpeg(Pattern(16, 16));
    // The frame header's height and width follow FF C0 (length 2, precision 1).
    for (size_t i = 2; i + 9 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
            jpeg[i + 5] = 0x75; jpeg[i + 6] = 0x30; jpeg[i + 7] = 0x75; jpeg[i + 8] = 0x30;  // 30000 x 30000
            break;
        }
    }
    EXPECT_EQ(kErrBadSize, ReadJpegInfo(jpeg.data(), jpeg.size(), info));
    EXPECT_EQ(30000, info.width);
}
