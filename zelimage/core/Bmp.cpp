#include "Bmp.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace zel {

namespace {

constexpr uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3, kBiJpeg = 4, kBiPng = 5,
                   kBiAlphaBitfields = 6;
constexpr size_t kFileHeaderSize = 14;

uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24); }
void Put16(uint8_t* p, uint32_t v) { p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); }
void Put32(uint8_t* p, uint32_t v) { Put16(p, v); Put16(p + 2, v >> 16); }

struct Layout {
    int32_t width = 0;
    int32_t height = 0;       // always positive here
    bool topDown = false;
    uint32_t bits = 0;
    uint32_t compression = kBiRgb;
    uint32_t headerSize = 0;
    uint32_t pixelOffset = 0;
    uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha (alpha only where declared)
    uint32_t imageSize = 0;            // the pixel data's length as the header gives it, or 0
    size_t paletteOffset = 0;
    size_t paletteEntrySize = 4;
    size_t paletteCount = 0;
};

// 2 bits per pixel is a Windows CE variant.
bool IsPaletteDepth(uint32_t bits) { return bits == 1 || bits == 2 || bits == 4 || bits == 8; }

bool IsEmbeddedStream(uint32_t compression) { return compression == kBiJpeg || compression == kBiPng; }

// OS/2 2.x headers run from 16 to 64 bytes; the sizes Windows also uses
// (40, 52, 56) are read as Windows headers.
bool IsOs2Header(uint32_t headerSize) {
    return headerSize >= 16 && headerSize <= 64 && headerSize != 40 && headerSize != 52 && headerSize != 56;
}

// The header's 32-bit field at `offset`, or 0 when the header ends before it.
uint32_t HeaderField(const uint8_t* header, uint32_t headerSize, uint32_t offset) {
    return offset + 4 <= headerSize ? Le32(header + offset) : 0;
}

Status ParseLayout(const uint8_t* data, size_t size, Layout& l) {
    if (size < kFileHeaderSize + 12 || !LooksLikeBmp(data, size)) return kErrDamaged;
    l.pixelOffset = Le32(data + 10);
    l.headerSize = Le32(data + 14);
    const uint8_t* h = data + kFileHeaderSize;
    int64_t width, height;
    if (l.headerSize == 12) {  // OS/2 1.x core header
        width = Le16(h + 4);
        height = int16_t(Le16(h + 6));
        l.bits = Le16(h + 10);
        l.paletteEntrySize = 3;
    } else if (l.headerSize >= 16 && l.headerSize <= 124) {
        // Fields the header is too short to hold count as 0.
        if (size < kFileHeaderSize + l.headerSize) return kErrDamaged;
        width = int32_t(Le32(h + 4));
        height = int32_t(Le32(h + 8));
        l.bits = Le16(h + 14);
        l.compression = HeaderField(h, l.headerSize, 16);
        l.imageSize = HeaderField(h, l.headerSize, 20);
        // OS/2 2.x compressions 3 and 4 are Huffman 1D and RLE-24.
        if (IsOs2Header(l.headerSize) && l.compression >= kBiBitfields) return kErrUnsupported;
        uint32_t used = HeaderField(h, l.headerSize, 32);
        if (IsPaletteDepth(l.bits)) l.paletteCount = used ? used : (1u << l.bits);
    } else {
        return kErrUnsupported;
    }
    if (l.headerSize == 12 && IsPaletteDepth(l.bits)) l.paletteCount = size_t(1) << l.bits;
    if (l.paletteCount > 256) l.paletteCount = 256;
    l.topDown = height < 0;
    if (height < 0) height = -height;
    if (CheckImageSize(width, height) != kOk) {
        l.width = int32_t(width > INT32_MAX ? INT32_MAX : width);
        l.height = int32_t(height > INT32_MAX ? INT32_MAX : height);
        return kErrBadSize;
    }
    l.width = int32_t(width);
    l.height = int32_t(height);

    if (IsEmbeddedStream(l.compression)) {
        // A whole JPEG or PNG file stands in for the pixels; its own decoder reads it.
        if (l.topDown || l.headerSize == 12 || l.pixelOffset >= size) return kErrDamaged;
        return kOk;
    }
    switch (l.bits) {
    case 1: case 2: case 4: case 8: case 16: case 24: case 32: break;
    default: return kErrDamaged;
    }
    size_t afterHeader = kFileHeaderSize + l.headerSize;
    if (l.compression == kBiBitfields || l.compression == kBiAlphaBitfields) {
        if (l.bits != 16 && l.bits != 32) return kErrDamaged;
        const int maskCount = l.compression == kBiAlphaBitfields ? 4 : 3;
        if (l.headerSize >= 52) {
            // V2 and later headers hold the masks, V3 and later the alpha mask too.
            const int inHeader = l.headerSize >= 56 ? 4 : 3;
            for (int i = 0; i < inHeader; ++i) l.masks[i] = Le32(h + 40 + 4 * i);
        } else {
            if (size < afterHeader + 4 * maskCount) return kErrDamaged;
            for (int i = 0; i < maskCount; ++i) l.masks[i] = Le32(data + afterHeader + 4 * i);
            afterHeader += 4 * maskCount;
        }
    } else if (l.compression == kBiRle8) {
        if (l.bits != 8) return kErrDamaged;
    } else if (l.compression == kBiRle4) {
        if (l.bits != 4) return kErrDamaged;
    } else if (l.compression != kBiRgb) {
        return kErrUnsupported;  // no compression Windows knows
    } else if (l.bits == 16) {
        l.masks[0] = 0x7C00; l.masks[1] = 0x03E0; l.masks[2] = 0x001F;
    } else if (l.bits == 32) {
        l.masks[0] = 0xFF0000; l.masks[1] = 0xFF00; l.masks[2] = 0xFF;  // the fourth byte is no alpha
    }
    l.paletteOffset = afterHeader;
    if (l.pixelOffset < afterHeader || l.pixelOffset > size) {
        // Some writers leave the offset 0: the pixels follow the palette.
        l.pixelOffset = uint32_t(afterHeader + l.paletteCount * l.paletteEntrySize);
        if (l.pixelOffset > size) return kErrDamaged;
    }
    return kOk;
}

Status ReadPalette(const uint8_t* data, const Layout& l, Image& out) {
    const size_t available = (l.pixelOffset - l.paletteOffset) / l.paletteEntrySize;
    size_t count = l.paletteCount < available ? l.paletteCount : available;
    if (count == 0) return kErrDamaged;
    out.palette.assign(count, Rgb{});
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* p = data + l.paletteOffset + i * l.paletteEntrySize;
        out.palette[i] = Rgb{p[2], p[1], p[0]};
    }
    return kOk;
}

// Shift and scale that turn a channel mask into an 8-bit value.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    uint32_t max = 0;
    explicit Channel(uint32_t m) : mask(m) {
        if (!m) return;
        while (!((m >> shift) & 1)) ++shift;
        max = m >> shift;
        // Only contiguous masks count; the rest of the bits are ignored.
        uint32_t run = 0;
        while (run < 32 && ((max >> run) & 1)) ++run;
        max = run >= 32 ? 0xFFFFFFFFu : ((1u << run) - 1);
    }
    uint8_t Extract(uint32_t v) const {
        if (!max) return 0;
        uint64_t c = (v >> shift) & max;
        return uint8_t((c * 255 + max / 2) / max);
    }
};

size_t RowBytes(uint32_t bits, int32_t width) { return ((uint64_t(width) * bits + 31) / 32) * 4; }

uint32_t PixelAt(const uint8_t* row, uint32_t bits, int32_t x) { return bits == 16 ? Le16(row + 2 * x) : Le32(row + 4 * x); }

// The alpha mask when the file declares one and uses it. Some writers
// declare alpha and leave it 0 everywhere; such a picture is meant opaque,
// not black.
uint32_t UsedAlphaMask(const uint8_t* base, size_t stride, const Layout& l) {
    const uint32_t mask = l.masks[3];
    if (!mask || (l.bits != 16 && l.bits != 32)) return 0;
    for (int32_t row = 0; row < l.height; ++row)
        for (int32_t x = 0; x < l.width; ++x)
            if (PixelAt(base + size_t(row) * stride, l.bits, x) & mask) return mask;
    return 0;
}

int32_t TargetRow(const Layout& l, int32_t fileRow) { return l.topDown ? fileRow : l.height - 1 - fileRow; }

Status ReadUncompressed(const uint8_t* data, size_t size, const Layout& l, Image& out) {
    const size_t stride = RowBytes(l.bits, l.width);
    const size_t available = size - l.pixelOffset;
    if (stride * size_t(l.height) > available) {
        // Allow a missing pad after the last row, nothing more.
        if (stride * size_t(l.height - 1) + (uint64_t(l.width) * l.bits + 7) / 8 > available) return kErrDamaged;
    }
    const uint8_t* base = data + l.pixelOffset;
    const Channel red(l.masks[0]), green(l.masks[1]), blue(l.masks[2]);
    const Channel alpha(UsedAlphaMask(base, stride, l));
    const size_t paletteSize = out.palette.size();
    for (int32_t row = 0; row < l.height; ++row) {
        const uint8_t* in = base + size_t(row) * stride;
        uint8_t* o = out.Row(TargetRow(l, row));
        switch (l.bits) {
        case 1: case 2: case 4: case 8: {
            const uint32_t perByte = 8 / l.bits, mask = (1u << l.bits) - 1;
            for (int32_t x = 0; x < l.width; ++x) {
                uint32_t shift = (perByte - 1 - x % perByte) * l.bits;
                uint8_t index = uint8_t((in[x / perByte] >> shift) & mask);
                o[x] = index < paletteSize ? index : 0;
            }
            break;
        }
        case 24:
            std::memcpy(o, in, size_t(l.width) * 3);
            break;
        case 16: case 32:
            for (int32_t x = 0; x < l.width; ++x, o += 3) {
                const uint32_t v = PixelAt(in, l.bits, x);
                o[0] = blue.Extract(v); o[1] = green.Extract(v); o[2] = red.Extract(v);
                if (alpha.mask) {
                    // Composited on black, as every other format's transparency is.
                    const unsigned a = alpha.Extract(v);
                    for (int c = 0; c < 3; ++c) o[c] = uint8_t((o[c] * a + 127) / 255);
                }
            }
            break;
        }
    }
    return kOk;
}

// RLE-4 and RLE-8: runs and absolute spans, with end-of-line, end-of-bitmap
// and delta escapes. Pixels the stream skips stay index 0.
Status ReadRle(const uint8_t* data, size_t size, const Layout& l, Image& out) {
    const bool four = l.compression == kBiRle4;
    const size_t paletteSize = out.palette.size();
    size_t pos = l.pixelOffset;
    int32_t x = 0, row = 0;
    auto put = [&](uint8_t index) {
        if (x < l.width && row < l.height)
            out.Row(TargetRow(l, row))[x] = index < paletteSize ? index : 0;
        ++x;
    };
    while (true) {
        if (pos + 2 > size) return kErrDamaged;
        uint8_t count = data[pos], value = data[pos + 1];
        pos += 2;
        if (count > 0) {
            for (int i = 0; i < count; ++i)
                put(four ? uint8_t((i & 1) ? (value & 15) : (value >> 4)) : value);
            continue;
        }
        if (value == 0) {          // end of line
            x = 0;
            if (++row >= l.height) return kOk;
        } else if (value == 1) {   // end of bitmap
            return kOk;
        } else if (value == 2) {   // delta
            if (pos + 2 > size) return kErrDamaged;
            x += data[pos];
            row += data[pos + 1];
            pos += 2;
            if (row >= l.height) return kOk;
        } else {                   // absolute span of `value` pixels, padded to 16 bits
            size_t bytes = four ? (value + 1) / 2 : value;
            if (pos + bytes > size) return kErrDamaged;
            for (int i = 0; i < value; ++i)
                put(four ? uint8_t((i & 1) ? (data[pos + i / 2] & 15) : (data[pos + i / 2] >> 4)) : data[pos + i]);
            pos += bytes + (bytes & 1);
        }
    }
}

}  // namespace

bool LooksLikeBmp(const uint8_t* data, size_t size) {
    return size >= 2 && data[0] == 'B' && data[1] == 'M';
}

Status ReadBmpInfo(const uint8_t* data, size_t size, BmpHeaderInfo& info) {
    Layout l;
    Status status = ParseLayout(data, size, l);
    info.width = l.width;
    info.height = l.height;
    info.bits = IsEmbeddedStream(l.compression) ? 24 : int32_t(l.bits);
    return status;
}

bool FindEmbeddedStream(const uint8_t* data, size_t size, EmbeddedStream& stream) {
    Layout l;
    if (ParseLayout(data, size, l) != kOk || !IsEmbeddedStream(l.compression)) return false;
    stream.data = data + l.pixelOffset;
    stream.size = size - l.pixelOffset;
    if (l.imageSize && l.imageSize < stream.size) stream.size = l.imageSize;
    stream.png = l.compression == kBiPng;
    return true;
}

Status ReadBmp(const uint8_t* data, size_t size, Image& out) {
    Layout l;
    Status status = ParseLayout(data, size, l);
    if (status != kOk) return status;
    if (IsEmbeddedStream(l.compression)) return kErrUnsupported;  // FindEmbeddedStream hands it on
    const bool indexed = IsPaletteDepth(l.bits);
    Image image;
    // 2-bit indices are kept in the 4-bit form the rest of the library knows.
    const int32_t storedBits = l.bits == 2 ? 4 : int32_t(l.bits);
    status = AllocateImage(image, l.width, l.height, indexed ? storedBits : 24);
    if (status != kOk) return status;
    if (indexed) {
        status = ReadPalette(data, l, image);
        if (status != kOk) return status;
    }
    status = (l.compression == kBiRle4 || l.compression == kBiRle8) ? ReadRle(data, size, l, image)
                                                                    : ReadUncompressed(data, size, l, image);
    if (status != kOk) return status;
    out = std::move(image);
    return kOk;
}

namespace {

// Rows go out in blocks of about this many bytes.
constexpr size_t kWriteBlockBytes = 256 * 1024;

void PackRow(const Image& image, int32_t y, uint8_t* o, size_t stride) {
    const uint8_t* in = image.Row(y);
    const uint32_t bits = uint32_t(image.bits);
    if (bits == 24) {
        std::memcpy(o, in, size_t(image.width) * 3);
        std::memset(o + size_t(image.width) * 3, 0, stride - size_t(image.width) * 3);
        return;
    }
    std::memset(o, 0, stride);
    if (bits == 16) {
        for (int32_t x = 0; x < image.width; ++x, in += 3)
            Put16(o + 2 * x, uint32_t((in[2] >> 3) << 10 | (in[1] >> 3) << 5 | (in[0] >> 3)));
    } else {
        const uint32_t perByte = 8 / bits;
        for (int32_t x = 0; x < image.width; ++x)
            o[x / perByte] |= uint8_t(in[x] << ((perByte - 1 - x % perByte) * bits));
    }
}

}  // namespace

Status WriteBmp(const Image& image, const ByteSink& sink) {
    if (image.Empty() || image.pixels.size() < image.Stride() * size_t(image.height)) return kErrBadArgument;
    const uint32_t bits = uint32_t(image.bits);
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24) return kErrBadArgument;
    const size_t paletteCount = image.IsIndexed() ? image.palette.size() : 0;
    if (image.IsIndexed() && (paletteCount == 0 || paletteCount > (size_t(1) << bits))) return kErrBadArgument;
    const size_t stride = RowBytes(bits, image.width);
    const uint64_t pixelOffset = kFileHeaderSize + 40 + paletteCount * 4;
    const uint64_t total = pixelOffset + uint64_t(stride) * uint64_t(image.height);
    if (total > 0xFFFFFFFFull) return kErrBadSize;
    const size_t rowsPerBlock = std::max<size_t>(1, kWriteBlockBytes / stride);
    std::vector<uint8_t> block;
    try {
        block.resize(std::max(size_t(pixelOffset), std::min(rowsPerBlock, size_t(image.height)) * stride));
    } catch (const std::bad_alloc&) {
        return kErrNoMemory;
    }
    uint8_t* p = block.data();
    std::memset(p, 0, size_t(pixelOffset));
    p[0] = 'B'; p[1] = 'M';
    Put32(p + 2, uint32_t(total));
    Put32(p + 10, uint32_t(pixelOffset));
    uint8_t* h = p + kFileHeaderSize;
    Put32(h, 40);
    Put32(h + 4, uint32_t(image.width));
    Put32(h + 8, uint32_t(image.height));
    Put16(h + 12, 1);
    Put16(h + 14, bits);
    Put32(h + 16, kBiRgb);
    Put32(h + 20, uint32_t(stride * size_t(image.height)));
    Put32(h + 24, 2835);  // 72 dpi
    Put32(h + 28, 2835);
    Put32(h + 32, uint32_t(paletteCount));
    for (size_t i = 0; i < paletteCount; ++i) {
        uint8_t* e = h + 40 + 4 * i;
        e[0] = image.palette[i].b; e[1] = image.palette[i].g; e[2] = image.palette[i].r;
    }
    if (!sink(p, size_t(pixelOffset))) return kErrWrite;
    for (int32_t y = image.height - 1; y >= 0;) {
        size_t rows = 0;
        for (; rows < rowsPerBlock && y >= 0; ++rows, --y) PackRow(image, y, p + rows * stride, stride);
        if (!sink(p, rows * stride)) return kErrWrite;
    }
    return kOk;
}

Status WriteBmp(const Image& image, std::vector<uint8_t>& out) {
    std::vector<uint8_t> file;
    Status status;
    try {
        status = WriteBmp(image, [&file](const uint8_t* data, size_t size) {
            file.insert(file.end(), data, data + size);
            return true;
        });
    } catch (const std::bad_alloc&) {
        return kErrNoMemory;
    }
    if (status == kOk) out = std::move(file);
    return status;
}

}  // namespace zel
