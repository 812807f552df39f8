#include "Decoders.h"

#include <cstring>

#include <png.h>

namespace zel {

namespace {

struct SimplifiedImage {
    png_image image;
    SimplifiedImage() { std::memset(&image, 0, sizeof image); image.version = PNG_IMAGE_VERSION; }
    ~SimplifiedImage() { png_image_free(&image); }
    SimplifiedImage(const SimplifiedImage&) = delete;
    SimplifiedImage& operator=(const SimplifiedImage&) = delete;
};

Status Begin(SimplifiedImage& png, const uint8_t* data, size_t size, std::string* problem) {
    if (!png_image_begin_read_from_memory(&png.image, data, size)) {
        if (problem) *problem = png.image.message;
        return kErrDamaged;
    }
    return CheckImageSize(int64_t(png.image.width), int64_t(png.image.height));
}

}  // namespace

Status ReadPngInfo(const uint8_t* data, size_t size, HeaderInfo& info) {
    SimplifiedImage png;
    Status status = Begin(png, data, size, &info.problem);
    info.width = int32_t(png.image.width > INT32_MAX ? INT32_MAX : png.image.width);
    info.height = int32_t(png.image.height > INT32_MAX ? INT32_MAX : png.image.height);
    info.bits = (png.image.format & PNG_FORMAT_FLAG_COLORMAP) ? 8 : 24;
    return status;
}

Status DecodePng(const uint8_t* data, size_t size, Image& out, std::string* problem) {
    SimplifiedImage png;
    Status status = Begin(png, data, size, problem);
    if (status != kOk) return status;
    Image image;
    status = AllocateImage(image, int32_t(png.image.width), int32_t(png.image.height), 24);
    if (status != kOk) return status;
    png.image.format = PNG_FORMAT_BGR;
    // 16-bit files without gamma information are sRGB like every other PNG.
    png.image.flags |= PNG_IMAGE_FLAG_16BIT_sRGB;
    const png_color black = {0, 0, 0};
    if (!png_image_finish_read(&png.image, &black, image.pixels.data(), png_int_32(image.Stride()), nullptr)) {
        if (problem) *problem = png.image.message;
        return kErrDamaged;
    }
    out = std::move(image);
    return kOk;
}

}  // namespace zel
