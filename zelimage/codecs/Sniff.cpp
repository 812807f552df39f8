#include "Decoders.h"

#include "../core/Bmp.h"

#include <cstring>

namespace zel {

FileKind SniffFileKind(const uint8_t* data, size_t size) {
    static const uint8_t kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) return FileKind::kJpeg;
    if (size >= 8 && std::memcmp(data, kPng, 8) == 0) return FileKind::kPng;
    if (size >= 6 && (std::memcmp(data, "GIF87a", 6) == 0 || std::memcmp(data, "GIF89a", 6) == 0)) return FileKind::kGif;
    if (LooksLikeBmp(data, size)) return FileKind::kBmp;
    return FileKind::kUnknown;
}

int ExifOrientation(const uint8_t* data, size_t size) {
    if (size < 14 || std::memcmp(data, "Exif\0\0", 6) != 0) return 1;
    const uint8_t* tiff = data + 6;
    const size_t n = size - 6;
    bool little;
    if (tiff[0] == 'I' && tiff[1] == 'I') little = true;
    else if (tiff[0] == 'M' && tiff[1] == 'M') little = false;
    else return 1;
    auto u16 = [&](size_t at) -> uint32_t {
        return little ? uint32_t(tiff[at] | tiff[at + 1] << 8) : uint32_t(tiff[at] << 8 | tiff[at + 1]);
    };
    auto u32 = [&](size_t at) -> uint32_t { return little ? (u16(at) | u16(at + 2) << 16) : (u16(at) << 16 | u16(at + 2)); };
    const uint32_t ifd = u32(4);
    if (ifd > n || n - ifd < 2) return 1;
    const uint32_t entries = u16(ifd);
    for (uint32_t i = 0; i < entries; ++i) {
        size_t entry = size_t(ifd) + 2 + size_t(i) * 12;
        if (entry + 12 > n) break;
        if (u16(entry) == 0x0112 && u16(entry + 2) == 3) {
            uint32_t value = u16(entry + 8);
            return value >= 1 && value <= 8 ? int(value) : 1;
        }
    }
    return 1;
}

}  // namespace zel
