#include "TestImages.h"

#include <cmath>
#include <csetjmp>
#include <cstring>

#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>

namespace zeltest {

using zel::Image;
using zel::Rgb;

Image Pattern(int32_t width, int32_t height) {
    Image image;
    zel::AllocateImage(image, width, height, 24);
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* p = image.Row(y);
        for (int32_t x = 0; x < width; ++x, p += 3) {
            p[2] = uint8_t(x * 255 / std::max(1, width - 1));
            p[1] = uint8_t(y * 255 / std::max(1, height - 1));
            p[0] = uint8_t(128 + 100 * std::sin((x + y) * 0.05));
            const bool square = x > width / 3 && x < width / 2 && y > height / 3 && y < height / 2;
            if (square) { p[0] = 20; p[1] = 200; p[2] = 240; }
            if (x % 37 == 5 && y % 29 == 7) { p[0] = p[1] = p[2] = 255; }
        }
    }
    return image;
}

Image PalettePattern(int32_t width, int32_t height, int colors, int bits) {
    Image image;
    zel::AllocateImage(image, width, height, bits);
    image.palette.resize(size_t(colors));
    for (int i = 0; i < colors; ++i)
        image.palette[size_t(i)] = Rgb{uint8_t(i * 53 % 256), uint8_t(255 - i * 7 % 256), uint8_t(i * 101 % 256)};
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) image.Row(y)[x] = uint8_t((x / 3 + y * 5) % colors);
    return image;
}

Image Flat(int32_t width, int32_t height, Rgb color) {
    Image image;
    zel::AllocateImage(image, width, height, 24);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            uint8_t* p = image.Row(y) + x * 3;
            p[0] = color.b; p[1] = color.g; p[2] = color.r;
        }
    return image;
}

Rgb PixelAt(const Image& image, int32_t x, int32_t y) {
    if (image.IsIndexed()) return image.palette.at(image.Row(y)[x]);
    const uint8_t* p = image.Row(y) + x * 3;
    return Rgb{p[2], p[1], p[0]};
}

double Psnr(const Image& a, const Image& b) {
    if (a.width != b.width || a.height != b.height) return 0;
    double sum = 0;
    for (int32_t y = 0; y < a.height; ++y)
        for (int32_t x = 0; x < a.width; ++x) {
            Rgb p = PixelAt(a, x, y), q = PixelAt(b, x, y);
            sum += (p.r - q.r) * (p.r - q.r) + (p.g - q.g) * (p.g - q.g) + (p.b - q.b) * (p.b - q.b);
        }
    if (sum == 0) return 99;
    const double mse = sum / (3.0 * a.width * a.height);
    return 10 * std::log10(255.0 * 255.0 / mse);
}

bool SamePixels(const Image& a, const Image& b) {
    if (a.width != b.width || a.height != b.height) return false;
    for (int32_t y = 0; y < a.height; ++y)
        for (int32_t x = 0; x < a.width; ++x)
            if (PixelAt(a, x, y) != PixelAt(b, x, y)) return false;
    return true;
}

namespace {

Bytes ExifWithOrientation(int orientation) {
    // "Exif\0\0", little-endian TIFF header, IFD0 with one SHORT entry.
    Bytes b = {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0,
               0x12, 0x01, 3, 0, 1, 0, 0, 0, uint8_t(orientation), 0, 0, 0, 0, 0, 0, 0};
    return b;
}

}  // namespace

Bytes EncodeJpeg(const Image& image, const JpegOptions& options) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr errors;
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(image.width);
    cinfo.image_height = JDIMENSION(image.height);
    cinfo.input_components = options.grayscale ? 1 : 3;
    cinfo.in_color_space = options.grayscale ? JCS_GRAYSCALE : JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, options.quality, TRUE);
    if (options.progressive) jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    if (options.orientation != 1) {
        Bytes exif = ExifWithOrientation(options.orientation);
        jpeg_write_marker(&cinfo, JPEG_APP0 + 1, exif.data(), unsigned(exif.size()));
    }
    std::vector<uint8_t> gray(size_t(image.width));
    while (cinfo.next_scanline < cinfo.image_height) {
        const uint8_t* row = image.Row(int32_t(cinfo.next_scanline));
        JSAMPROW line = const_cast<uint8_t*>(row);
        if (options.grayscale) {
            for (int32_t x = 0; x < image.width; ++x) gray[size_t(x)] = row[x * 3 + 1];
            line = gray.data();
        }
        jpeg_write_scanlines(&cinfo, &line, 1);
    }
    jpeg_finish_compress(&cinfo);
    Bytes out(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    free(buffer);
    return out;
}

namespace {

void AppendToBytes(png_structp png, png_bytep data, png_size_t length) {
    Bytes* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

uint16_t Scale(uint8_t v, int bitDepth) {
    const int max = (1 << bitDepth) - 1;
    return uint16_t((v * max + 127) / 255);
}

}  // namespace

Bytes EncodePng(const Image& image, int colorType, int bitDepth, const std::vector<uint8_t>& alpha, bool interlaced) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, AppendToBytes, nullptr);
    png_set_IHDR(png, info, png_uint_32(image.width), png_uint_32(image.height), bitDepth, colorType,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        std::vector<png_color> palette;
        for (const Rgb& c : image.palette) palette.push_back(png_color{c.r, c.g, c.b});
        png_set_PLTE(png, info, palette.data(), int(palette.size()));
        if (!alpha.empty()) png_set_tRNS(png, info, alpha.data(), int(std::min(alpha.size(), palette.size())), nullptr);
    }
    png_write_info(png, info);
    if (bitDepth < 8) png_set_packing(png);
    if (bitDepth == 16) png_set_swap(png);  // rows below are little-endian
    const bool hasAlpha = colorType & PNG_COLOR_MASK_ALPHA;
    const bool color = colorType & PNG_COLOR_MASK_COLOR;
    const int bytesPerSample = bitDepth == 16 ? 2 : 1;
    const int passes = interlaced ? png_set_interlace_handling(png) : 1;
    for (int pass = 0; pass < passes; ++pass) {
        for (int32_t y = 0; y < image.height; ++y) {
            std::vector<uint8_t> row;
            for (int32_t x = 0; x < image.width; ++x) {
                auto push = [&](uint8_t v) {
                    if (bytesPerSample == 2) {
                        uint16_t wide = uint16_t(v * 257);
                        row.push_back(uint8_t(wide));
                        row.push_back(uint8_t(wide >> 8));
                    } else {
                        row.push_back(uint8_t(Scale(v, bitDepth)));
                    }
                };
                if (colorType == PNG_COLOR_TYPE_PALETTE) {
                    row.push_back(image.Row(y)[x]);
                    continue;
                }
                Rgb c = PixelAt(image, x, y);
                if (color) { push(c.r); push(c.g); push(c.b); }
                else push(c.g);
                if (hasAlpha) push(alpha[size_t(y) * size_t(image.width) + size_t(x)]);
            }
            png_write_row(png, row.data());
        }
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

namespace {

int AppendGifBytes(GifFileType* gif, const GifByteType* data, int length) {
    static_cast<Bytes*>(gif->UserData)->insert(static_cast<Bytes*>(gif->UserData)->end(), data, data + length);
    return length;
}

}  // namespace

Bytes EncodeGif(const Image& indexed, bool interlaced, int transparentIndex, int frames) {
    Bytes out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, AppendGifBytes, &error);
    int mapSize = 2;
    while (mapSize < int(indexed.palette.size())) mapSize *= 2;
    ColorMapObject* map = GifMakeMapObject(mapSize, nullptr);
    for (int i = 0; i < mapSize; ++i) {
        Rgb c = i < int(indexed.palette.size()) ? indexed.palette[size_t(i)] : Rgb{};
        map->Colors[i] = GifColorType{c.r, c.g, c.b};
    }
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, indexed.width, indexed.height, 8, 0, map);
    for (int frame = 0; frame < frames; ++frame) {
        if (transparentIndex >= 0) {
            GifByteType control[4] = {1, 0, 0, GifByteType(transparentIndex)};
            EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, control);
        }
        EGifPutImageDesc(gif, 0, 0, indexed.width, indexed.height, interlaced, nullptr);
        std::vector<GifPixelType> line(size_t(indexed.width));
        static const int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
        for (int pass = 0; pass < (interlaced ? 4 : 1); ++pass)
            for (int y = interlaced ? kStart[pass] : 0; y < indexed.height; y += interlaced ? kStep[pass] : 1) {
                for (int x = 0; x < indexed.width; ++x) {
                    uint8_t v = indexed.Row(y)[x];
                    line[size_t(x)] = frame == 0 ? v : GifPixelType(mapSize - 1 - v);
                }
                EGifPutLine(gif, line.data(), indexed.width);
            }
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return out;
}

namespace {

void Put16(Bytes& b, uint32_t v) { b.push_back(uint8_t(v)); b.push_back(uint8_t(v >> 8)); }
void Put32(Bytes& b, uint32_t v) { Put16(b, v); Put16(b, v >> 16); }

}  // namespace

Bytes MakeTiff(const Image& image) {
    const uint32_t pixelBytes = uint32_t(image.width * image.height * 3);
    const uint16_t entries = 10;
    const uint32_t ifdOffset = 8, ifdSize = 2 + entries * 12 + 4;
    const uint32_t bitsOffset = ifdOffset + ifdSize, pixelOffset = bitsOffset + 6;
    Bytes b = {'I', 'I', 42, 0};
    Put32(b, ifdOffset);
    Put16(b, entries);
    auto entry = [&](uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
        Put16(b, tag); Put16(b, type); Put32(b, count); Put32(b, value);
    };
    entry(256, 4, 1, uint32_t(image.width));
    entry(257, 4, 1, uint32_t(image.height));
    entry(258, 3, 3, bitsOffset);       // BitsPerSample 8,8,8
    entry(259, 3, 1, 1);                // no compression
    entry(262, 3, 1, 2);                // RGB
    entry(273, 4, 1, pixelOffset);      // one strip
    entry(277, 3, 1, 3);                // samples per pixel
    entry(278, 4, 1, uint32_t(image.height));
    entry(279, 4, 1, pixelBytes);
    entry(284, 3, 1, 1);                // chunky
    Put32(b, 0);
    Put16(b, 8); Put16(b, 8); Put16(b, 8);
    for (int32_t y = 0; y < image.height; ++y)
        for (int32_t x = 0; x < image.width; ++x) {
            Rgb c = PixelAt(image, x, y);
            b.push_back(c.r); b.push_back(c.g); b.push_back(c.b);
        }
    return b;
}

Bytes MakeIco(const Image& image) {
    const uint32_t xorBytes = uint32_t(image.width * image.height * 4);
    const uint32_t andStride = ((uint32_t(image.width) + 31) / 32) * 4;
    const uint32_t dibBytes = 40 + xorBytes + andStride * uint32_t(image.height);
    Bytes b;
    Put16(b, 0); Put16(b, 1); Put16(b, 1);  // icon directory, one image
    b.push_back(uint8_t(image.width)); b.push_back(uint8_t(image.height)); b.push_back(0); b.push_back(0);
    Put16(b, 1); Put16(b, 32); Put32(b, dibBytes); Put32(b, 6 + 16);
    Put32(b, 40); Put32(b, uint32_t(image.width)); Put32(b, uint32_t(image.height * 2));
    Put16(b, 1); Put16(b, 32); Put32(b, 0); Put32(b, xorBytes);
    Put32(b, 0); Put32(b, 0); Put32(b, 0); Put32(b, 0);
    for (int32_t y = image.height - 1; y >= 0; --y)
        for (int32_t x = 0; x < image.width; ++x) {
            Rgb c = PixelAt(image, x, y);
            b.push_back(c.b); b.push_back(c.g); b.push_back(c.r); b.push_back(255);
        }
    b.insert(b.end(), andStride * uint32_t(image.height), 0);
    return b;
}

Bytes BuildBmp(const BmpRecipe& recipe) {
    const bool core = recipe.headerSize == 12;
    const size_t paletteEntry = core ? 3 : 4;
    // 40-byte headers keep their masks after the header: three, or four with alpha (6).
    const size_t separateMasks = recipe.headerSize != 40 ? 0 : recipe.compression == 3 ? 3 : recipe.compression == 6 ? 4 : 0;
    const uint32_t offset = uint32_t(14 + recipe.headerSize + separateMasks * 4 + recipe.palette.size() * paletteEntry);
    Bytes b = {'B', 'M'};
    Put32(b, uint32_t(offset + recipe.pixels.size()));
    Put32(b, 0);
    Put32(b, offset);
    Put32(b, recipe.headerSize);
    if (core) {
        Put16(b, uint32_t(recipe.width)); Put16(b, uint32_t(recipe.height)); Put16(b, 1); Put16(b, recipe.bits);
    } else {
        Put32(b, uint32_t(recipe.width)); Put32(b, uint32_t(recipe.height)); Put16(b, 1); Put16(b, recipe.bits);
        Put32(b, recipe.compression); Put32(b, uint32_t(recipe.pixels.size())); Put32(b, 2835); Put32(b, 2835);
        Put32(b, uint32_t(recipe.palette.size())); Put32(b, 0);
        if (recipe.headerSize > 40)
            for (uint32_t m : recipe.masks) Put32(b, m);
        b.resize(14 + recipe.headerSize);  // shorter headers (OS/2 2.x) end early, longer ones end in zeros
        for (size_t i = 0; i < separateMasks; ++i) Put32(b, recipe.masks[i]);
    }
    for (const Rgb& c : recipe.palette) {
        b.push_back(c.b); b.push_back(c.g); b.push_back(c.r);
        if (!core) b.push_back(0);
    }
    b.insert(b.end(), recipe.pixels.begin(), recipe.pixels.end());
    return b;
}

}  // namespace zeltest
