// libpng's progressive-free row API: every colour type and depth expanded
// to 8-bit BGR in place, transparency composited on black by hand. Large
// pictures are inflated a step ahead on a second core (InflateAhead.h).
// libpng reports fatal errors by longjmp: every object with a destructor is
// made before setjmp, and no lock is held when libpng is told of an error.
#include "Decoders.h"
#include "InflateAhead.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include <png.h>

namespace zel {

namespace {

// Below this much compressed pixel data a second thread costs more than it saves.
constexpr size_t kInflateAheadMinBytes = 64 * 1024;

// The bytes libpng reads: the file, or the file with its IDAT chunks
// replaced by those an InflateAhead makes.
struct Source {
    const uint8_t* data;
    size_t size;
    size_t pos;
    IdatRun run;
    InflateAhead* ahead;
};

// Fills `out` completely, or returns false.
bool ReadSource(Source& s, uint8_t* out, size_t length) {
    while (length > 0) {
        if (s.ahead && s.pos == s.run.begin) {
            const size_t got = s.ahead->Read(out, length);
            out += got;
            length -= got;
            if (length == 0) return true;
            if (s.ahead->Failed()) return false;
            s.pos = s.run.end;  // on to the chunks after the pixel data
            continue;
        }
        const size_t limit = s.ahead && s.pos < s.run.begin ? s.run.begin : s.size;
        const size_t n = std::min(length, limit - s.pos);
        if (n == 0) return false;
        std::memcpy(out, s.data + s.pos, n);
        s.pos += n;
        out += n;
        length -= n;
    }
    return true;
}

void ReadFromSource(png_structp png, png_bytep out, png_size_t length) {
    if (!ReadSource(*static_cast<Source*>(png_get_io_ptr(png)), out, length))
        png_error(png, "the file ends before the picture does");
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

// Only the pixels matter: text, profiles and the other chunks about the
// picture are passed over unread. libpng would first allocate what their
// length field claims, so a 60-byte file could ask for gigabytes.
void IgnoreMetadataChunks(png_structp png) {
    static const png_byte kIgnored[] = "tEXt\0zTXt\0iTXt\0iCCP\0sPLT\0eXIf\0tIME\0pHYs\0oFFs\0pCAL\0sCAL\0"
                                       "sTER\0hIST\0bKGD\0cHRM\0gAMA\0sRGB\0sBIT";
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, kIgnored, int(sizeof kIgnored / 5));
}

struct Reader {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ErrorText error = {};
    Source source;
    Reader(const uint8_t* data, size_t size) : source{data, size, 0, IdatRun{}, nullptr} {
        png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &error, OnError, OnWarning);
        if (png) info = png_create_info_struct(png);
        if (!info) return;
        png_set_read_fn(png, &source, ReadFromSource);
        png_set_user_limits(png, 0x7FFFFFFF, 0x7FFFFFFF);
        IgnoreMetadataChunks(png);
    }
    // Hands the pixel data to a helper thread when there is enough of it.
    void InflateAheadWith(std::unique_ptr<InflateAhead>& ahead) {
        IdatRun run;
        if (!FindIdatRun(source.data, source.size, run) || run.end - run.begin < kInflateAheadMinBytes) return;
        ahead = std::make_unique<InflateAhead>(source.data, run);
        if (!ahead->Start()) {
            ahead.reset();
            return;
        }
        source.run = run;
        source.ahead = ahead.get();
        // The chunks before the pixel data passed their CRCs in FindIdatRun,
        // the IDAT chunks pass theirs on the helper thread, and the
        // replacement chunks carry neither CRCs nor a checksum worth checking.
        png_set_crc_action(png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
        png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
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
    std::unique_ptr<InflateAhead> ahead;
    r.InflateAheadWith(ahead);
    if (setjmp(png_jmpbuf(r.png))) {
        if (problem) {
            const std::string pixelData = ahead ? ahead->Problem() : std::string();
            *problem = pixelData.empty() ? std::string(r.error.text) : "IDAT: " + pixelData;
        }
        return kErrDamaged;
    }
    png_read_info(r.png, r.info);
    const int64_t width = png_get_image_width(r.png, r.info), height = png_get_image_height(r.png, r.info);
    Status status = CheckImageSize(width, height);
    if (status != kOk) return status;
    const bool alpha = RequestBgr(r.png, r.info);
    status = AllocateImageForOverwrite(image, int32_t(width), int32_t(height), 24);
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
