#include "Bmp.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace zel {

namespace {

constexpr uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3, kBiAlphaBitfields = 6;
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
    uint32_t masks[3] = {0, 0, 0};  // red, green, blue
    size_t paletteOffset = 0;
    size_t paletteEntrySize = 4;
    size_t paletteCount = 0;
};

bool IsPaletteDepth(uint32_t bits) { return bits == 1 || bits == 4 || bits == 8; }

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
    } else if (l.headerSize >= 40 && l.headerSize <= 124) {
        if (size < kFileHeaderSize + l.headerSize) return kErrDamaged;
        width = int32_t(Le32(h + 4));
        height = int32_t(Le32(h + 8));
        l.bits = Le16(h + 14);
        l.compression = Le32(h + 16);
        if (l.headerSize == 64 && l.compression > kBiBitfields) return kErrUnsupported;  // OS/2 2.x Huffman, RLE-24
        uint32_t used = Le32(h + 32);
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

    switch (l.bits) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return kErrDamaged;
    }
    size_t afterHeader = kFileHeaderSize + l.headerSize;
    if (l.compression == kBiBitfields || l.compression == kBiAlphaBitfields) {
        if (l.bits != 16 && l.bits != 32) return kErrDamaged;
        const uint8_t* m;
        if (l.headerSize >= 52) {
            m = h + 40;
        } else {
            if (size < afterHeader + 12) return kErrDamaged;
            m = data + afterHeader;
            afterHeader += l.compression == kBiAlphaBitfields ? 16 : 12;
        }
        for (int i = 0; i < 3; ++i) l.masks[i] = Le32(m + 4 * i);
    } else if (l.compression == kBiRle8) {
        if (l.bits != 8) return kErrDamaged;
    } else if (l.compression == kBiRle4) {
        if (l.bits != 4) return kErrDamaged;
    } else if (l.compression != kBiRgb) {
        return kErrUnsupported;  // embedded JPEG or PNG
    } else if (l.bits == 16) {
        l.masks[0] = 0x7C00; l.masks[1] = 0x03E0; l.masks[2] = 0x001F;
    } else if (l.bits == 32) {
        l.masks[0] = 0xFF0000; l.masks[1] = 0xFF00; l.masks[2] = 0xFF;
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
        while ((max >> run) & 1) ++run;
        max = run >= 32 ? 0xFFFFFFFFu : ((1u << run) - 1);
    }
    uint8_t Extract(uint32_t v) const {
        if (!max) return 0;
        uint64_t c = (v >> shift) & max;
        return uint8_t((c * 255 + max / 2) / max);
    }
};

size_t RowBytes(uint32_t bits, int32_t width) { return ((uint64_t(width) * bits + 31) / 32) * 4; }

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
    const size_t paletteSize = out.palette.size();
    for (int32_t row = 0; row < l.height; ++row) {
        const uint8_t* in = base + size_t(row) * stride;
        uint8_t* o = out.Row(TargetRow(l, row));
        switch (l.bits) {
        case 1: case 4: case 8: {
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
                uint32_t v = l.bits == 16 ? Le16(in + 2 * x) : Le32(in + 4 * x);
                o[0] = blue.Extract(v); o[1] = green.Extract(v); o[2] = red.Extract(v);
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
    info.bits = int32_t(l.bits);
    return status;
}

Status ReadBmp(const uint8_t* data, size_t size, Image& out) {
    Layout l;
    Status status = ParseLayout(data, size, l);
    if (status != kOk) return status;
    const bool indexed = IsPaletteDepth(l.bits);
    Image image;
    status = AllocateImage(image, l.width, l.height, indexed ? int32_t(l.bits) : 24);
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
