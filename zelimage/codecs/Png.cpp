// libpng's progressive-free row API: every colour type and depth expanded
// to 8-bit BGR in place, transparency composited on black by hand.
// libpng reports fatal errors by longjmp: only plain locals live across it.
#include "Decoders.h"

#include <cstring>

#include <png.h>

namespace zel {

namespace {

struct MemoryReader {
    const uint8_t* data;
    size_t size;
    size_t pos;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t length) {
    MemoryReader* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (length > reader->size - reader->pos) png_error(png, "the file ends before the picture does");
    std::memcpy(out, reader->data + reader->pos, length);
    reader->pos += length;
}

struct ErrorText {
    char text[200];
};

void OnError(png_structp png, png_const_charp message) {
    ErrorText* error = static_cast<ErrorText*>(png_get_error_ptr(png));
    std::strncpy(error->text, message, sizeof error->text - 1);
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

struct Reader {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ErrorText error = {};
    MemoryReader source;
    Reader(const uint8_t* data, size_t size) : source{data, size, 0} {
        png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &error, OnError, OnWarning);
        if (png) info = png_create_info_struct(png);
        if (info) png_set_read_fn(png, &source, ReadFromMemory);
    }
    ~Reader() {
        if (png) png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    }
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;
};

bool IsPng(const uint8_t* data, size_t size) { return size >= 8 && png_sig_cmp(data, 0, 8) == 0; }

// Sets up the expansions to 8-bit BGR or BGRA; true when alpha remains.
bool RequestBgr(png_structp png, png_infop info) {
    const int colorType = png_get_color_type(png, info);
    const int depth = png_get_bit_depth(png, info);
    if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
    const bool transparent = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    if (transparent) png_set_tRNS_to_alpha(png);
    if (depth == 16) png_set_strip_16(png);  // the high byte: within one level of exact rounding, and faster
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    return (png_get_color_type(png, info) & PNG_COLOR_MASK_ALPHA) != 0;
}

void CompositeOnBlack(const uint8_t* bgra, uint8_t* bgr, int32_t width) {
    for (int32_t x = 0; x < width; ++x, bgra += 4, bgr += 3) {
        const unsigned a = bgra[3];
        bgr[0] = uint8_t((bgra[0] * a + 127) / 255);
        bgr[1] = uint8_t((bgra[1] * a + 127) / 255);
        bgr[2] = uint8_t((bgra[2] * a + 127) / 255);
    }
}

}  // namespace

Status ReadPngInfo(const uint8_t* data, size_t size, HeaderInfo& info) {
    if (!IsPng(data, size)) return kErrDamaged;
    Reader r(data, size);
    if (!r.info) return kErrNoMemory;
    if (setjmp(png_jmpbuf(r.png))) {
        info.problem = r.error.text;
        return kErrDamaged;
    }
    png_set_user_limits(r.png, 0x7FFFFFFF, 0x7FFFFFFF);
    png_read_info(r.png, r.info);
    info.width = int32_t(png_get_image_width(r.png, r.info));
    info.height = int32_t(png_get_image_height(r.png, r.info));
    info.bits = png_get_color_type(r.png, r.info) == PNG_COLOR_TYPE_PALETTE ? 8 : 24;
    return CheckImageSize(info.width, info.height);
}

Status DecodePng(const uint8_t* data, size_t size, Image& out, std::string* problem) {
    if (!IsPng(data, size)) return kErrDamaged;
    Reader r(data, size);
    if (!r.info) return kErrNoMemory;
    Image image;
    std::vector<uint8_t> withAlpha;
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(r.png))) {
        if (problem) *problem = r.error.text;
        return kErrDamaged;
    }
    png_set_user_limits(r.png, 0x7FFFFFFF, 0x7FFFFFFF);
    png_read_info(r.png, r.info);
    const int64_t width = png_get_image_width(r.png, r.info), height = png_get_image_height(r.png, r.info);
    Status status = CheckImageSize(width, height);
    if (status != kOk) return status;
    const bool alpha = RequestBgr(r.png, r.info);
    status = AllocateImage(image, int32_t(width), int32_t(height), 24);
    if (status != kOk) return status;
    const bool interlaced = png_get_interlace_type(r.png, r.info) != PNG_INTERLACE_NONE;
    if (alpha) {
        // Alpha pictures go through a BGRA buffer, a whole one only when interlaced.
        withAlpha.resize(size_t(width) * 4 * size_t(interlaced ? height : 1));
        if (interlaced) {
            rows.resize(size_t(height));
            for (int64_t y = 0; y < height; ++y) rows[size_t(y)] = withAlpha.data() + size_t(y) * size_t(width) * 4;
            png_read_image(r.png, rows.data());
            for (int64_t y = 0; y < height; ++y) CompositeOnBlack(rows[size_t(y)], image.Row(int32_t(y)), image.width);
        } else {
            for (int64_t y = 0; y < height; ++y) {
                png_read_row(r.png, withAlpha.data(), nullptr);
                CompositeOnBlack(withAlpha.data(), image.Row(int32_t(y)), image.width);
            }
        }
    } else {
        rows.resize(size_t(height));
        for (int64_t y = 0; y < height; ++y) rows[size_t(y)] = image.Row(int32_t(y));
        png_read_image(r.png, rows.data());
    }
    png_read_end(r.png, nullptr);
    out = std::move(image);
    return kOk;
}

}  // namespace zel
