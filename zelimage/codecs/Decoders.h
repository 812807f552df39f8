// The decoders built on the field's libraries (libjpeg-turbo, libpng,
// giflib), over bytes in memory. Portable: also built natively to fuzz.
#pragma once

#include "../core/Image.h"

#include <string>

namespace zel {

enum class FileKind { kUnknown, kBmp, kJpeg, kPng, kGif };

FileKind SniffFileKind(const uint8_t* data, size_t size);

// What the headers say, before any pixel is decoded. Width and height are
// those of the upright picture (after EXIF orientation).
struct HeaderInfo {
    int32_t width = 0;
    int32_t height = 0;
    int32_t bits = 24;
    int orientation = 1;   // EXIF 1..8, JPEG only
    std::string problem;   // the library's own words when it refused
};

Status ReadJpegInfo(const uint8_t* data, size_t size, HeaderInfo& info);
// scaleEighths 1..8: libjpeg's DCT scaling, decoding at that many eighths
// of the full size (before orientation). The result stands upright.
Status DecodeJpeg(const uint8_t* data, size_t size, int scaleEighths, Image& out, std::string* problem = nullptr);
// Smallest DCT scale whose upright result still covers width x height.
int ChooseJpegScale(const HeaderInfo& info, int32_t width, int32_t height);
// Orientation tag (0x0112) of an EXIF block ("Exif\0\0" + TIFF), or 1.
int ExifOrientation(const uint8_t* data, size_t size);

Status ReadPngInfo(const uint8_t* data, size_t size, HeaderInfo& info);
// Every bit depth and colour type; transparency composited on black.
Status DecodePng(const uint8_t* data, size_t size, Image& out, std::string* problem = nullptr);

// Every BMP variant ReadBmp reads, and those that carry a JPEG or PNG stream.
Status DecodeBmp(const uint8_t* data, size_t size, Image& out, std::string* problem = nullptr);

Status ReadGifInfo(const uint8_t* data, size_t size, HeaderInfo& info);
// The first frame on the logical screen, as a palette picture (true colour
// when the frame leaves screen uncovered and a full palette has no black).
Status DecodeGif(const uint8_t* data, size_t size, Image& out, std::string* problem = nullptr);

}  // namespace zel
