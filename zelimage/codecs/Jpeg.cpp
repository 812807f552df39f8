// libjpeg-turbo reports fatal errors by longjmp: the functions that call
// into it keep only plain locals between setjmp and the calls.
#include "Decoders.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>
#include <jerror.h>

namespace zel {

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    jmp_buf escape;
    char message[JMSG_LENGTH_MAX];
    int warnings;
};

void ErrorExit(j_common_ptr cinfo) {
    ErrorManager* errors = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, errors->message);
    longjmp(errors->escape, 1);
}

// Sound files this build cannot read (12-bit samples, features left out)
// are unsupported, not damaged.
Status FailureOf(const ErrorManager& errors) {
    switch (errors.base.msg_code) {
    case JERR_BAD_PRECISION: case JERR_NOTIMPL: case JERR_NOT_COMPILED: case JERR_CCIR601_NOTIMPL:
        return kErrUnsupported;
    default:
        return kErrDamaged;
    }
}

void EmitMessage(j_common_ptr cinfo, int level) {
    // Corrupt-data warnings only count; the decoder fills in and goes on.
    if (level < 0) reinterpret_cast<ErrorManager*>(cinfo->err)->warnings++;
}

void SilentOutput(j_common_ptr) {}

struct Decompressor {
    jpeg_decompress_struct cinfo;
    ErrorManager errors;
};

void Prepare(Decompressor& d) {
    std::memset(&d, 0, sizeof d);
    d.cinfo.err = jpeg_std_error(&d.errors.base);
    d.errors.base.error_exit = ErrorExit;
    d.errors.base.emit_message = EmitMessage;
    d.errors.base.output_message = SilentOutput;
    jpeg_create_decompress(&d.cinfo);
}

// Only after setjmp: an empty buffer is already an error for libjpeg.
void Attach(Decompressor& d, const uint8_t* data, size_t size) {
    jpeg_mem_src(&d.cinfo, data, static_cast<unsigned long>(size));
    jpeg_save_markers(&d.cinfo, JPEG_APP0 + 1, 0xFFFF);
}

int OrientationOf(jpeg_decompress_struct& cinfo) {
    for (jpeg_saved_marker_ptr m = cinfo.marker_list; m; m = m->next) {
        if (m->marker != JPEG_APP0 + 1) continue;
        int orientation = ExifOrientation(m->data, m->data_length);
        if (orientation != 1) return orientation;
    }
    return 1;
}

// A truncated file has lost its end-of-image marker; the entropy data
// cannot hold FF D9, so finding it after the first scan header is enough.
bool HasEndMarker(const uint8_t* data, size_t size, size_t scanStart) {
    for (size_t i = size; i-- > scanStart + 1;)
        if (data[i] == 0xD9 && data[i - 1] == 0xFF) return true;
    return false;
}

void Note(std::string* problem, const char* text) {
    if (problem) *problem = text;
}

void ConvertCmyk(Image& image, const std::vector<uint8_t>& cmyk, bool inverted) {
    for (int32_t y = 0; y < image.height; ++y) {
        const uint8_t* in = cmyk.data() + size_t(y) * size_t(image.width) * 4;
        uint8_t* out = image.Row(y);
        for (int32_t x = 0; x < image.width; ++x, in += 4, out += 3) {
            int c = in[0], m = in[1], yl = in[2], k = in[3];
            if (!inverted) { c = 255 - c; m = 255 - m; yl = 255 - yl; k = 255 - k; }
            out[2] = uint8_t(c * k / 255);
            out[1] = uint8_t(m * k / 255);
            out[0] = uint8_t(yl * k / 255);
        }
    }
}

}  // namespace

Status ReadJpegInfo(const uint8_t* data, size_t size, HeaderInfo& info) {
    Decompressor d;
    Prepare(d);
    if (setjmp(d.errors.escape)) {
        info.problem = d.errors.message;
        jpeg_destroy_decompress(&d.cinfo);
        return FailureOf(d.errors);
    }
    Attach(d, data, size);
    jpeg_read_header(&d.cinfo, TRUE);
    const size_t scanStart = size_t(d.cinfo.src->next_input_byte - data);
    info.orientation = OrientationOf(d.cinfo);
    const bool turned = info.orientation >= 5;
    info.width = int32_t(turned ? d.cinfo.image_height : d.cinfo.image_width);
    info.height = int32_t(turned ? d.cinfo.image_width : d.cinfo.image_height);
    info.bits = d.cinfo.num_components == 1 ? 8 : 24;
    jpeg_destroy_decompress(&d.cinfo);
    Status sizeCheck = CheckImageSize(info.width, info.height);
    if (sizeCheck != kOk) return sizeCheck;
    if (!HasEndMarker(data, size, scanStart)) {
        info.problem = "the file ends before the picture does";
        return kErrDamaged;
    }
    return kOk;
}

int ChooseJpegScale(const HeaderInfo& info, int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return 8;
    for (int eighths = 1; eighths < 8; eighths *= 2) {
        // libjpeg rounds scaled sizes up.
        int64_t w = (int64_t(info.width) * eighths + 7) / 8, h = (int64_t(info.height) * eighths + 7) / 8;
        if (w >= width && h >= height) return eighths;
    }
    return 8;
}

Status DecodeJpeg(const uint8_t* data, size_t size, int scaleEighths, Image& out, std::string* problem) {
    Decompressor d;
    Image image;
    std::vector<uint8_t> cmyk;
    int orientation = 1;
    bool inverted = false;
    Prepare(d);
    if (setjmp(d.errors.escape)) {
        Note(problem, d.errors.message);
        jpeg_destroy_decompress(&d.cinfo);
        return FailureOf(d.errors);
    }
    Attach(d, data, size);
    jpeg_read_header(&d.cinfo, TRUE);
    orientation = OrientationOf(d.cinfo);
    if (scaleEighths < 1 || scaleEighths > 8) scaleEighths = 8;
    d.cinfo.scale_num = unsigned(scaleEighths);
    d.cinfo.scale_denom = 8;
    const bool fourChannel = d.cinfo.jpeg_color_space == JCS_CMYK || d.cinfo.jpeg_color_space == JCS_YCCK;
    d.cinfo.out_color_space = fourChannel ? JCS_CMYK : JCS_EXT_BGR;
    inverted = d.cinfo.saw_Adobe_marker;
    jpeg_calc_output_dimensions(&d.cinfo);
    Status status = AllocateImage(image, int32_t(d.cinfo.output_width), int32_t(d.cinfo.output_height), 24);
    if (status != kOk) {
        jpeg_destroy_decompress(&d.cinfo);
        return status;
    }
    if (fourChannel) cmyk.resize(size_t(image.width) * size_t(image.height) * 4);
    jpeg_start_decompress(&d.cinfo);
    while (d.cinfo.output_scanline < d.cinfo.output_height) {
        JSAMPROW row = fourChannel ? cmyk.data() + size_t(d.cinfo.output_scanline) * size_t(image.width) * 4
                                   : image.Row(int32_t(d.cinfo.output_scanline));
        jpeg_read_scanlines(&d.cinfo, &row, 1);
    }
    jpeg_finish_decompress(&d.cinfo);
    jpeg_destroy_decompress(&d.cinfo);
    if (fourChannel) ConvertCmyk(image, cmyk, inverted);
    status = ApplyOrientation(image, orientation);
    if (status != kOk) return status;
    out = std::move(image);
    return kOk;
}

}  // namespace zel
