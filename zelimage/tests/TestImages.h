// Pictures made by the tests themselves, and encoders that turn them into
// files with the field's own libraries (or by hand for the simple formats).
#pragma once

#include "../core/Image.h"

#include <string>
#include <vector>

namespace zeltest {

using Bytes = std::vector<uint8_t>;

// Smooth gradients, a hard-edged square and a few single-pixel dots.
zel::Image Pattern(int32_t width, int32_t height);
// `colors` (<= 256) stripes of distinct colours as a palette picture.
zel::Image PalettePattern(int32_t width, int32_t height, int colors, int bits);
zel::Image Flat(int32_t width, int32_t height, zel::Rgb color);

zel::Rgb PixelAt(const zel::Image& image, int32_t x, int32_t y);
// Peak signal-to-noise ratio of two 24-bit-equivalent pictures of one size.
double Psnr(const zel::Image& a, const zel::Image& b);
bool SamePixels(const zel::Image& a, const zel::Image& b);

struct JpegOptions {
    int quality = 95;
    bool progressive = false;
    bool grayscale = false;
    int orientation = 1;  // written as an EXIF block when not 1
};
Bytes EncodeJpeg(const zel::Image& image, const JpegOptions& options = {});

// colorType and bitDepth as libpng names them; alpha (0..255 per pixel,
// row-major) is used for the alpha colour types.
Bytes EncodePng(const zel::Image& image, int colorType, int bitDepth, const std::vector<uint8_t>& alpha = {},
                bool interlaced = false);

// A palette picture as GIF; `frames` copies (the later ones inverted).
Bytes EncodeGif(const zel::Image& indexed, bool interlaced, int transparentIndex = -1, int frames = 1);

// Uncompressed RGB TIFF and a 32-bit ICO, by hand.
Bytes MakeTiff(const zel::Image& image);
Bytes MakeIco(const zel::Image& image);

// Every BMP variant the tests feed to the reader, written field by field.
struct BmpRecipe {
    int32_t width = 0, height = 0;  // negative height: top-down
    uint16_t bits = 24;
    uint32_t compression = 0;
    uint32_t headerSize = 40;
    uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha
    std::vector<zel::Rgb> palette;
    Bytes pixels;  // exactly as stored in the file
};
Bytes BuildBmp(const BmpRecipe& recipe);

}  // namespace zeltest
