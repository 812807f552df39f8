#include "Image.h"

#include <new>
#include <utility>

namespace zel {

Status CheckImageSize(int64_t width, int64_t height) {
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide)
        return kErrBadSize;
    if (uint64_t(width) * uint64_t(height) * 3 > kMaxPixelBytes)
        return kErrBadSize;
    return kOk;
}

namespace {

Status Allocate(Image& image, int32_t width, int32_t height, int32_t bits, bool blank) {
    Status sizeCheck = CheckImageSize(width, height);
    if (sizeCheck != kOk) return sizeCheck;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24) return kErrBadArgument;
    Image fresh;
    fresh.width = width;
    fresh.height = height;
    fresh.bits = bits;
    try {
        if (blank) fresh.pixels.assign(fresh.Stride() * size_t(height), 0);
        else fresh.pixels.resize(fresh.Stride() * size_t(height));
        if (fresh.IsIndexed()) fresh.palette.assign(size_t(1) << bits, Rgb{});
    } catch (const std::bad_alloc&) {
        return kErrNoMemory;
    }
    image = std::move(fresh);
    return kOk;
}

}  // namespace

Status AllocateImage(Image& image, int32_t width, int32_t height, int32_t bits) {
    return Allocate(image, width, height, bits, true);
}

Status AllocateImageForOverwrite(Image& image, int32_t width, int32_t height, int32_t bits) {
    return Allocate(image, width, height, bits, false);
}

Status ToTrueColor(const Image& source, Image& out) {
    if (!source.IsIndexed()) {
        try {
            out = source;
        } catch (const std::bad_alloc&) {
            return kErrNoMemory;
        }
        return kOk;
    }
    Image converted;
    Status status = AllocateImage(converted, source.width, source.height, 24);
    if (status != kOk) return status;
    const size_t paletteSize = source.palette.size();
    for (int32_t y = 0; y < source.height; ++y) {
        const uint8_t* in = source.Row(y);
        uint8_t* o = converted.Row(y);
        for (int32_t x = 0; x < source.width; ++x, o += 3) {
            Rgb c = in[x] < paletteSize ? source.palette[in[x]] : Rgb{};
            o[0] = c.b; o[1] = c.g; o[2] = c.r;
        }
    }
    out = std::move(converted);
    return kOk;
}

uint32_t ColorCapacity(const Image& image) {
    if (image.IsIndexed()) return uint32_t(image.palette.size());
    return image.bits == 16 ? (1u << 15) : (1u << 24);
}

namespace {

// Where output pixel (x, y) of an oriented picture comes from in the stored one.
void SourceOf(int orientation, int32_t x, int32_t y, int32_t w, int32_t h, int32_t& sx, int32_t& sy) {
    switch (orientation) {
    case 2: sx = w - 1 - x; sy = y; break;
    case 3: sx = w - 1 - x; sy = h - 1 - y; break;
    case 4: sx = x; sy = h - 1 - y; break;
    case 5: sx = y; sy = x; break;
    case 6: sx = y; sy = h - 1 - x; break;
    case 7: sx = w - 1 - y; sy = h - 1 - x; break;
    case 8: sx = w - 1 - y; sy = x; break;
    default: sx = x; sy = y; break;
    }
}

}  // namespace

Status ApplyOrientation(Image& image, int orientation) {
    if (orientation < 2 || orientation > 8) return kOk;
    const bool swapsSides = orientation >= 5;
    Image turned;
    Status status = AllocateImage(turned, swapsSides ? image.height : image.width,
                                  swapsSides ? image.width : image.height, image.bits);
    if (status != kOk) return status;
    turned.palette = image.palette;
    const size_t bpp = image.BytesPerPixel();
    for (int32_t y = 0; y < turned.height; ++y) {
        uint8_t* out = turned.Row(y);
        for (int32_t x = 0; x < turned.width; ++x) {
            int32_t sx, sy;
            SourceOf(orientation, x, y, image.width, image.height, sx, sy);
            const uint8_t* in = image.Row(sy) + size_t(sx) * bpp;
            for (size_t c = 0; c < bpp; ++c) out[size_t(x) * bpp + c] = in[c];
        }
    }
    image = std::move(turned);
    return kOk;
}

}  // namespace zel
