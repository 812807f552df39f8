#include "../../core/Bmp.h"
#include "../TestImages.h"

#include <gtest/gtest.h>

using namespace zel;
using namespace zeltest;

namespace {

Image ReadBack(const Bytes& file, Status expected = kOk) {
    Image image;
    EXPECT_EQ(expected, ReadBmp(file.data(), file.size(), image));
    return image;
}

Bytes Write(const Image& image) {
    Bytes file;
    EXPECT_EQ(kOk, WriteBmp(image, file));
    return file;
}

}  // namespace

TEST(BmpRoundTrip, EveryWrittenDepthReadsBackUnchanged) {
    for (int32_t width : {1, 13, 32, 33}) {
        const Image trueColor = Pattern(width, 7);
        EXPECT_TRUE(SamePixels(trueColor, ReadBack(Write(trueColor)))) << "24-bit, width " << width;
        for (int bits : {1, 4, 8}) {
            const Image indexed = PalettePattern(width, 5, 1 << bits, bits);
            Image back = ReadBack(Write(indexed));
            EXPECT_EQ(bits, back.bits);
            EXPECT_EQ(indexed.palette.size(), back.palette.size());
            EXPECT_TRUE(SamePixels(indexed, back)) << bits << "-bit, width " << width;
        }
    }
}

// The writer hands the file over in blocks of rows: large pictures span
// several, and a sink that refuses stops the writing with a status.
TEST(BmpRoundTrip, LargePicturesGoOutInBlocks) {
    const Image trueColor = Pattern(701, 297);
    const Image indexed = PalettePattern(1501, 411, 16, 4);
    for (const Image* image : {&trueColor, &indexed}) {
        Bytes file;
        size_t blocks = 0;
        ASSERT_EQ(kOk, WriteBmp(*image, [&](const uint8_t* data, size_t size) {
            file.insert(file.end(), data, data + size);
            ++blocks;
            return true;
        }));
        EXPECT_GT(blocks, 2u);
        EXPECT_EQ(file.size(), size_t(file[2] | file[3] << 8 | file[4] << 16 | file[5] << 24)) << "size in the header";
        EXPECT_TRUE(SamePixels(*image, ReadBack(file))) << image->bits;
    }
    size_t calls = 0;
    EXPECT_EQ(kErrWrite, WriteBmp(trueColor, [&](const uint8_t*, size_t) { return ++calls < 2; }));
    EXPECT_EQ(2u, calls) << "nothing more after the refusal";
}

TEST(BmpRoundTrip, HighColorKeepsFiveBitsPerChannel) {
    Image image = Pattern(9, 4);
    for (auto& v : image.pixels) v = uint8_t(((v >> 3) * 255 + 15) / 31);  // already on the 5-bit grid
    image.bits = 16;
    const Bytes file = Write(image);
    EXPECT_EQ(16, file[28]);
    EXPECT_TRUE(SamePixels(image, ReadBack(file)));
}

TEST(BmpRead, TopDownThirtyTwoBitAndBitFieldsVariants) {
    // 2x2, top-down, 32-bit plain: first stored row is the top one.
    BmpRecipe plain;
    plain.width = 2; plain.height = -2; plain.bits = 32;
    plain.pixels = {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 10, 11, 12, 0};
    Image image = ReadBack(BuildBmp(plain));
    EXPECT_EQ((Rgb{3, 2, 1}), PixelAt(image, 0, 0));
    EXPECT_EQ((Rgb{12, 11, 10}), PixelAt(image, 1, 1));

    // 16-bit 5-6-5 bit fields, bottom-up, masks after a 40-byte header.
    BmpRecipe fields;
    fields.width = 2; fields.height = 1; fields.bits = 16; fields.compression = 3;
    fields.masks[0] = 0xF800; fields.masks[1] = 0x07E0; fields.masks[2] = 0x001F;
    fields.pixels = {0x00, 0xF8, 0x1F, 0x00};  // pure red, pure blue
    image = ReadBack(BuildBmp(fields));
    EXPECT_EQ((Rgb{255, 0, 0}), PixelAt(image, 0, 0));
    EXPECT_EQ((Rgb{0, 0, 255}), PixelAt(image, 1, 0));

    // The same in a V5 header, which carries its masks inside.
    fields.headerSize = 124;
    image = ReadBack(BuildBmp(fields));
    EXPECT_EQ((Rgb{255, 0, 0}), PixelAt(image, 0, 0));

    // A mask of all 32 bits is one whole channel (the count of its bits must
    // stop at 32, not shift past the word).
    BmpRecipe wide;
    wide.width = 2; wide.height = 1; wide.bits = 32; wide.compression = 3;
    wide.masks[0] = 0xFFFFFFFF; wide.masks[1] = 0; wide.masks[2] = 0;
    wide.pixels = {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x80};
    image = ReadBack(BuildBmp(wide));
    EXPECT_EQ((Rgb{255, 0, 0}), PixelAt(image, 0, 0));
    EXPECT_EQ((Rgb{128, 0, 0}), PixelAt(image, 1, 0));

    // 16-bit without bit fields is 5-5-5.
    BmpRecipe rgb555;
    rgb555.width = 1; rgb555.height = 1; rgb555.bits = 16;
    rgb555.pixels = {0xE0, 0x03, 0, 0};  // green only
    EXPECT_EQ((Rgb{0, 255, 0}), PixelAt(ReadBack(BuildBmp(rgb555)), 0, 0));
}

TEST(BmpRead, OldCoreHeaderWithThreeBytePalette) {
    BmpRecipe recipe;
    recipe.headerSize = 12; recipe.width = 3; recipe.height = 1; recipe.bits = 8;
    recipe.palette.assign(256, Rgb{});
    recipe.palette[1] = Rgb{10, 20, 30};
    recipe.palette[2] = Rgb{40, 50, 60};
    recipe.pixels = {1, 2, 1, 0};
    Image image = ReadBack(BuildBmp(recipe));
    EXPECT_EQ((Rgb{40, 50, 60}), PixelAt(image, 1, 0));
    EXPECT_EQ((Rgb{10, 20, 30}), PixelAt(image, 2, 0));
}

TEST(BmpRead, RunLengthEncodedEightAndFourBit) {
    BmpRecipe rle8;
    rle8.width = 6; rle8.height = 3; rle8.bits = 8; rle8.compression = 1;
    rle8.palette = {Rgb{0, 0, 0}, Rgb{255, 0, 0}, Rgb{0, 255, 0}, Rgb{0, 0, 255}};
    rle8.pixels = {
        3, 1, 0, 3, 2, 3, 1, 0, 0, 0,   // bottom row: run of 3 red, absolute 2,3,1 (padded), end of line
        0, 2, 2, 1,                     // delta: 2 right, 1 up -> skips the middle row's start and a row
        2, 2, 0, 1,                     // top row from x=2: two green, end of bitmap
    };
    Image image = ReadBack(BuildBmp(rle8));
    EXPECT_EQ((Rgb{255, 0, 0}), PixelAt(image, 0, 2));
    EXPECT_EQ((Rgb{0, 255, 0}), PixelAt(image, 3, 2));
    EXPECT_EQ((Rgb{0, 0, 255}), PixelAt(image, 4, 2));
    EXPECT_EQ((Rgb{255, 0, 0}), PixelAt(image, 5, 2));
    EXPECT_EQ((Rgb{0, 0, 0}), PixelAt(image, 1, 1));  // skipped by the delta
    EXPECT_EQ((Rgb{0, 255, 0}), PixelAt(image, 2, 0));
    EXPECT_EQ((Rgb{0, 255, 0}), PixelAt(image, 3, 0));

    BmpRecipe rle4;
    rle4.width = 6; rle4.height = 1; rle4.bits = 4; rle4.compression = 2;
    rle4.palette = {Rgb{0, 0, 0}, Rgb{255, 0, 0}, Rgb{0, 255, 0}};
    rle4.pixels = {3, 0x12, 0, 3, 0x21, 0x20, 0, 1};  // run 1,2,1 then absolute 2,1,2
    image = ReadBack(BuildBmp(rle4));
    EXPECT_EQ((Rgb{255, 0, 0}), PixelAt(image, 0, 0));
    EXPECT_EQ((Rgb{0, 255, 0}), PixelAt(image, 1, 0));
    EXPECT_EQ((Rgb{255, 0, 0}), PixelAt(image, 2, 0));
    EXPECT_EQ((Rgb{0, 255, 0}), PixelAt(image, 3, 0));
    EXPECT_EQ((Rgb{255, 0, 0}), PixelAt(image, 4, 0));
    EXPECT_EQ((Rgb{0, 255, 0}), PixelAt(image, 5, 0));
}

TEST(BmpRead, RefusesBadSizesAndTruncationWithAStatus) {
    BmpRecipe recipe;
    recipe.width = 4; recipe.height = 4; recipe.bits = 24;
    recipe.pixels.assign(4 * 12, 7);
    const Bytes good = BuildBmp(recipe);

    for (size_t cut = 0; cut < good.size(); ++cut) {
        Image image;
        EXPECT_NE(kOk, ReadBmp(good.data(), cut, image)) << "cut at " << cut;
    }
    BmpRecipe zero = recipe;
    zero.width = 0;
    Image image;
    EXPECT_EQ(kErrBadSize, ReadBmp(BuildBmp(zero).data(), BuildBmp(zero).size(), image));
    BmpRecipe huge = recipe;
    huge.width = 100000; huge.height = 100000;
    const Bytes hugeFile = BuildBmp(huge);
    BmpHeaderInfo info;
    EXPECT_EQ(kErrBadSize, ReadBmpInfo(hugeFile.data(), hugeFile.size(), info));
    EXPECT_EQ(100000, info.width);
    EXPECT_EQ(kErrBadSize, ReadBmp(hugeFile.data(), hugeFile.size(), image));

    BmpRecipe rleRunaway;  // no end of bitmap before the data ends
    rleRunaway.width = 4; rleRunaway.height = 2; rleRunaway.bits = 8; rleRunaway.compression = 1;
    rleRunaway.palette = {Rgb{}, Rgb{1, 1, 1}};
    rleRunaway.pixels = {200, 1, 0, 0, 5, 1};
    const Bytes runaway = BuildBmp(rleRunaway);
    EXPECT_EQ(kErrDamaged, ReadBmp(runaway.data(), runaway.size(), image));
}

// Declared alpha (bit fields with an alpha mask, in a V5 header, after a
// 40-byte header, or 4-4-4-4 at 16 bits) is composited on black; a fourth
// byte nobody declared stays ignored, and so does an alpha channel that is
// 0 everywhere (a writer that never filled it in).
TEST(BmpRead, DeclaredAlphaIsCompositedOnBlack) {
    BmpRecipe v5;
    v5.width = 3; v5.height = 1; v5.bits = 32; v5.compression = 3; v5.headerSize = 124;
    v5.masks[0] = 0xFF0000; v5.masks[1] = 0xFF00; v5.masks[2] = 0xFF; v5.masks[3] = 0xFF000000;
    v5.pixels = {50, 100, 200, 255, 50, 100, 200, 128, 50, 100, 200, 0};
    BmpRecipe afterHeader = v5;
    afterHeader.headerSize = 40; afterHeader.compression = 6;
    for (const BmpRecipe* recipe : {&v5, &afterHeader}) {
        const Image image = ReadBack(BuildBmp(*recipe));
        EXPECT_EQ((Rgb{200, 100, 50}), PixelAt(image, 0, 0)) << recipe->headerSize;
        EXPECT_EQ((Rgb{100, 50, 25}), PixelAt(image, 1, 0)) << "half covered";
        EXPECT_EQ((Rgb{0, 0, 0}), PixelAt(image, 2, 0)) << "transparent";
    }

    BmpRecipe argb4444;
    argb4444.width = 3; argb4444.height = 1; argb4444.bits = 16; argb4444.compression = 3; argb4444.headerSize = 124;
    argb4444.masks[0] = 0x0F00; argb4444.masks[1] = 0x00F0; argb4444.masks[2] = 0x000F; argb4444.masks[3] = 0xF000;
    argb4444.pixels = {0x80, 0xFF, 0x0F, 0x0F, 0x0F, 0x50, 0, 0};  // opaque; clear red; a third of blue
    Image image = ReadBack(BuildBmp(argb4444));
    EXPECT_EQ((Rgb{255, 136, 0}), PixelAt(image, 0, 0));
    EXPECT_EQ((Rgb{0, 0, 0}), PixelAt(image, 1, 0));
    EXPECT_EQ((Rgb{0, 0, 85}), PixelAt(image, 2, 0));

    BmpRecipe fourthByte = v5;  // plain 32-bit: the fourth byte is padding
    fourthByte.compression = 0;
    image = ReadBack(BuildBmp(fourthByte));
    EXPECT_EQ((Rgb{200, 100, 50}), PixelAt(image, 2, 0));

    BmpRecipe neverFilled = v5;
    for (size_t i = 3; i < neverFilled.pixels.size(); i += 4) neverFilled.pixels[i] = 0;
    image = ReadBack(BuildBmp(neverFilled));
    EXPECT_EQ((Rgb{200, 100, 50}), PixelAt(image, 1, 0));
}

// OS/2 2.x headers of 16 to 64 bytes: the fields they leave out count as 0;
// their own compressions (Huffman, RLE-24) are refused as unsupported.
TEST(BmpRead, Os2HeadersOfEveryLength) {
    for (uint32_t headerSize : {16u, 24u, 40u, 64u}) {
        BmpRecipe recipe;
        recipe.headerSize = headerSize; recipe.width = 3; recipe.height = 2; recipe.bits = 8;
        recipe.palette = {Rgb{}, Rgb{10, 20, 30}, Rgb{40, 50, 60}};
        recipe.pixels = {1, 2, 1, 0, 2, 2, 2, 0};
        const Image image = ReadBack(BuildBmp(recipe));
        EXPECT_EQ((Rgb{40, 50, 60}), PixelAt(image, 1, 1)) << headerSize;
        EXPECT_EQ((Rgb{10, 20, 30}), PixelAt(image, 2, 1)) << headerSize;
        EXPECT_EQ((Rgb{40, 50, 60}), PixelAt(image, 0, 0)) << headerSize;
    }
    BmpRecipe huffman;
    huffman.headerSize = 64; huffman.width = 8; huffman.height = 1; huffman.bits = 1; huffman.compression = 3;
    huffman.palette = {Rgb{}, Rgb{255, 255, 255}};
    huffman.pixels = {0, 0, 0, 0};
    ReadBack(BuildBmp(huffman), kErrUnsupported);
}

TEST(BmpRead, TwoBitPalette) {
    BmpRecipe recipe;
    recipe.width = 5; recipe.height = 1; recipe.bits = 2;
    recipe.palette = {Rgb{1, 1, 1}, Rgb{255, 0, 0}, Rgb{0, 255, 0}, Rgb{0, 0, 255}};
    recipe.pixels = {0x1B, 0x80, 0, 0};  // indices 0 1 2 3 2
    const Image image = ReadBack(BuildBmp(recipe));
    const Rgb expected[5] = {Rgb{1, 1, 1}, Rgb{255, 0, 0}, Rgb{0, 255, 0}, Rgb{0, 0, 255}, Rgb{0, 255, 0}};
    for (int32_t x = 0; x < 5; ++x) EXPECT_EQ(expected[x], PixelAt(image, x, 0)) << x;
    EXPECT_EQ(4u, image.palette.size());
}
