// Windows bitmap files: every common variant read, 24/16-bit and
// palette 1/4/8-bit written.
#pragma once

#include "Image.h"

#include <functional>

namespace zel {

struct BmpHeaderInfo {
    int32_t width = 0;
    int32_t height = 0;
    int32_t bits = 0;
};

bool LooksLikeBmp(const uint8_t* data, size_t size);

// Reads only the headers: size and depth, checked for sanity.
Status ReadBmpInfo(const uint8_t* data, size_t size, BmpHeaderInfo& info);

// Decodes 1/2/4/8-bit (plain, RLE-4, RLE-8), 16/32-bit (plain or bit
// fields, a declared alpha channel composited on black) and 24-bit
// pictures, bottom-up or top-down, under Windows and OS/2 headers. Palette
// pictures stay palette pictures (2-bit ones become 4-bit); the others
// become 24-bit. Files that carry a JPEG or PNG stream get kErrUnsupported
// here: see FindEmbeddedStream.
Status ReadBmp(const uint8_t* data, size_t size, Image& out);

// A JPEG or PNG file a BMP carries as its pixels (compressions 4 and 5).
struct EmbeddedStream {
    const uint8_t* data = nullptr;
    size_t size = 0;
    bool png = false;  // else JPEG
};
bool FindEmbeddedStream(const uint8_t* data, size_t size, EmbeddedStream& stream);

// Takes the file piece by piece; false stops the writing.
using ByteSink = std::function<bool(const uint8_t* data, size_t size)>;

// Encodes bottom-up without compression at the picture's own depth, handing
// the file to `sink` in blocks of rows (never a whole second copy of the
// picture). kErrWrite when the sink refused a block.
Status WriteBmp(const Image& image, const ByteSink& sink);
Status WriteBmp(const Image& image, std::vector<uint8_t>& out);

}  // namespace zel
