// libFuzzer entry points for the decoders, one per build (FUZZ_BMP,
// FUZZ_JPEG, FUZZ_PNG, FUZZ_GIF). Headers promising more than 4 million
// pixels are skipped so that runs stay fast; the size checks themselves are
// covered by the tests.
#include "../codecs/Decoders.h"
#include "../core/Bmp.h"
#include "../core/Quantize.h"
#include "../core/Resample.h"

namespace {

constexpr int64_t kMaxFuzzPixels = 4 << 20;

bool SmallEnough(int64_t width, int64_t height) { return width * height <= kMaxFuzzPixels; }

// Whatever decoded also goes through a resize and a colour reduction.
void Exercise(const zel::Image& image) {
    if (image.Empty() || image.width > 512 || image.height > 512) return;
    zel::Image out;
    zel::Resize(image, image.width / 2 + 1, image.height * 2, out);
    zel::ReduceColors(image, 4, 16, zel::ReduceMethod::kOptimizedDiffused, out);
    std::vector<uint8_t> bytes;
    zel::WriteBmp(image, bytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    zel::Image image;
#if defined(FUZZ_BMP)
    zel::BmpHeaderInfo info;
    if (zel::ReadBmpInfo(data, size, info) != zel::kOk || !SmallEnough(info.width, info.height)) return 0;
    if (zel::DecodeBmp(data, size, image) == zel::kOk) Exercise(image);
#else
    zel::HeaderInfo info;
#if defined(FUZZ_JPEG)
    if (zel::ReadJpegInfo(data, size, info) != zel::kOk || !SmallEnough(info.width, info.height)) return 0;
    if (zel::DecodeJpeg(data, size, 8, image) == zel::kOk) Exercise(image);
    zel::DecodeJpeg(data, size, 2, image);
#elif defined(FUZZ_PNG)
    if (zel::ReadPngInfo(data, size, info) != zel::kOk || !SmallEnough(info.width, info.height)) return 0;
    if (zel::DecodePng(data, size, image) == zel::kOk) Exercise(image);
#elif defined(FUZZ_GIF)
    if (zel::ReadGifInfo(data, size, info) != zel::kOk || !SmallEnough(info.width, info.height)) return 0;
    if (zel::DecodeGif(data, size, image) == zel::kOk) Exercise(image);
#endif
#endif
    return 0;
}
