// The system's Windows Imaging Component: whatever decoders it has beyond
// the built-in ones (TIFF, ICO, and on newer systems WebP, HEIC...).
#pragma once

#include "../core/Image.h"

#include <string>
#include <vector>

#include <windows.h>

namespace zel {

struct WicFormat {
    GUID container;
    std::string tag;           // first extension in capitals, e.g. "TIFF"
    std::string description;   // friendly name and patterns
    std::string patterns;      // "*.tif;*.tiff"
};

// The decoders installed now, minus those the library decodes itself.
std::vector<WicFormat> EnumerateWicDecoders();

// Size of the first frame, and the container it was found in.
Status ReadWicInfo(const uint8_t* data, size_t size, GUID& container, int32_t& width, int32_t& height,
                   std::string* problem);
// The first frame, alpha composited on black.
Status DecodeWic(const uint8_t* data, size_t size, Image& out, std::string* problem);

}  // namespace zel
