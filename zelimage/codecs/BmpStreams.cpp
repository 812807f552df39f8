// BMP files, including the printer variant that carries a whole JPEG or
// PNG file as its pixels: that stream goes to its own decoder.
#include "Decoders.h"

#include "../core/Bmp.h"

namespace zel {

Status DecodeBmp(const uint8_t* data, size_t size, Image& out, std::string* problem) {
    EmbeddedStream stream;
    if (!FindEmbeddedStream(data, size, stream)) return ReadBmp(data, size, out);
    const FileKind expected = stream.png ? FileKind::kPng : FileKind::kJpeg;
    if (SniffFileKind(stream.data, stream.size) != expected) {
        if (problem) *problem = stream.png ? "the PNG stream it carries is missing" : "the JPEG stream it carries is missing";
        return kErrDamaged;
    }
    return stream.png ? DecodePng(stream.data, stream.size, out, problem)
                      : DecodeJpeg(stream.data, stream.size, 8, out, problem);
}

}  // namespace zel
