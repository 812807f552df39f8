// ZELIMAGE.DLL's one interface object: a handle table of pictures and the
// operations over them. Every operation takes the table's lock only to find
// a picture, then the picture's own lock, so different pictures are worked
// on in parallel and one picture is never changed by two threads at once.
#include "../codecs/Decoders.h"
#include "../core/Bmp.h"
#include "../core/Calendar.h"
#include "../core/Quantize.h"
#include "../core/Resample.h"
#include "ErrorText.h"
#include "Files.h"
#include "Formats.h"
#include "Gdi.h"
#include "Wic.h"
#include "ImageLibrary.h"

#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <unordered_map>

namespace zel {

static_assert(int(IMAGE_ERR_DAMAGED) == int(kErrDamaged) && int(IMAGE_NOTHING_TO_DO) == int(kNothingToDo) &&
                  int(IMAGE_ERR_NO_WRITER) == int(kErrNoWriter),
              "the core's statuses are the interface's");

namespace {

struct Failure {
    uint16_t status = kOk;
    std::string text;
};

// The last failure of each thread, for failures that leave no picture
// behind (OpenImage, CreateImage, a result that could not be made).
thread_local Failure lastFailure;

struct Picture {
    std::mutex lock;
    FileKind kind = FileKind::kUnknown;
    bool viaWic = false;
    int formatIndex = -1;
    std::vector<uint8_t> encoded;  // the file's bytes while they may still be needed
    HeaderInfo header;
    bool read = false;     // ReadImage succeeded (pixels may still come later)
    bool decoded = false;  // `image` holds the pixels
    Image image;
    std::string writePath;
    bool writePrepared = false;
    Failure failure;
};

using PicturePtr = std::shared_ptr<Picture>;

class PictureTable {
public:
    ImageHandle Add(PicturePtr picture) {
        std::lock_guard<std::mutex> hold(lock_);
        do {
            ++next_;
        } while (next_ == 0 || entries_.count(next_));
        entries_[next_] = std::move(picture);
        return next_;
    }

    PicturePtr Find(ImageHandle handle) {
        std::lock_guard<std::mutex> hold(lock_);
        auto it = entries_.find(handle);
        return it == entries_.end() ? nullptr : it->second;
    }

    void Remove(ImageHandle handle) {
        PicturePtr last;  // freed after the table's lock is released
        std::lock_guard<std::mutex> hold(lock_);
        auto it = entries_.find(handle);
        if (it == entries_.end()) return;
        last = std::move(it->second);
        entries_.erase(it);
    }

private:
    std::mutex lock_;
    std::unordered_map<ImageHandle, PicturePtr> entries_;
    ImageHandle next_ = 0;
};

Status Fail(Picture* picture, Status status, std::string text = {}) {
    if (text.empty()) text = StatusText(status);
    if (picture) picture->failure = Failure{status, text};
    lastFailure = Failure{status, std::move(text)};
    return status;
}

// Exceptions never leave the library.
template <class Operation>
ImageStatus Safely(Operation operation) {
    try {
        return operation();
    } catch (const std::bad_alloc&) {
        return Fail(nullptr, kErrNoMemory);
    } catch (...) {
        return Fail(nullptr, kErrDamaged);
    }
}

Status ReadHeader(Picture& p, std::string& problem) {
    const uint8_t* data = p.encoded.data();
    const size_t size = p.encoded.size();
    Status status;
    switch (p.kind) {
    case FileKind::kBmp: {
        BmpHeaderInfo bmp;
        status = ReadBmpInfo(data, size, bmp);
        p.header.width = bmp.width;
        p.header.height = bmp.height;
        p.header.bits = bmp.bits;
        return status;
    }
    case FileKind::kJpeg: status = ReadJpegInfo(data, size, p.header); break;
    case FileKind::kPng: status = ReadPngInfo(data, size, p.header); break;
    case FileKind::kGif: status = ReadGifInfo(data, size, p.header); break;
    default: {
        GUID container = GUID{};
        status = ReadWicInfo(data, size, container, p.header.width, p.header.height, &problem);
        p.viaWic = status != kErrUnsupported;
        p.formatIndex = FormatIndexOf(container);
        return status;
    }
    }
    problem = p.header.problem;
    return status;
}

Status DecodeInto(Picture& p, int jpegEighths, Image& out) {
    const uint8_t* data = p.encoded.data();
    const size_t size = p.encoded.size();
    std::string problem;
    Status status;
    if (p.viaWic) {
        status = DecodeWic(data, size, out, &problem);
    } else {
        switch (p.kind) {
        case FileKind::kBmp: status = DecodeBmp(data, size, out, &problem); break;
        case FileKind::kJpeg: status = DecodeJpeg(data, size, jpegEighths, out, &problem); break;
        case FileKind::kPng: status = DecodePng(data, size, out, &problem); break;
        case FileKind::kGif: status = DecodeGif(data, size, out, &problem); break;
        default: status = kErrUnsupported; break;
        }
    }
    if (status == kOk) return kOk;
    if (status == kErrNoMemory) return Fail(&p, status, NoMemoryText(p.header.width, p.header.height));
    if (status == kErrBadSize) return Fail(&p, status, SizeRefusedText(p.header.width, p.header.height));
    return Fail(&p, status, WithReason(status, problem));
}

// The picture's pixels; a JPEG whose decoding was put off is decoded now.
// Called with the picture's lock held.
Status NeedPixels(Picture& p) {
    if (p.decoded) return kOk;
    if (!p.read) return Fail(&p, kErrNotDecoded);
    Status status = DecodeInto(p, 8, p.image);
    if (status != kOk) return status;
    p.decoded = true;
    return kOk;
}

uint32_t ColorsOf(const Picture& p) {
    if (p.decoded) return ColorCapacity(p.image);
    return p.header.bits <= 8 ? (1u << p.header.bits) : (1u << 24);
}

PicturePtr MadePicture(Image&& image) {
    auto picture = std::make_shared<Picture>();
    picture->image = std::move(image);
    picture->read = picture->decoded = true;
    picture->header.width = picture->image.width;
    picture->header.height = picture->image.height;
    picture->header.bits = picture->image.bits;
    return picture;
}

void PasteInto(const Image& source, Image& target, const RECT& rect) {
    const int32_t top = std::max<int32_t>(rect.top, 0), bottom = std::min<int32_t>(rect.bottom, target.height);
    const int32_t left = std::max<int32_t>(rect.left, 0), right = std::min<int32_t>(rect.right, target.width);
    for (int32_t y = top; y < bottom; ++y) {
        const int32_t sy = y - rect.top;
        if (sy < 0 || sy >= source.height) continue;
        uint8_t* out = target.Row(y);
        const uint8_t* in = source.Row(sy);
        for (int32_t x = left; x < right; ++x) {
            const int32_t sx = x - rect.left;
            if (sx < 0 || sx >= source.width) continue;
            if (source.IsIndexed()) {
                const uint8_t index = in[sx];
                const Rgb c = index < source.palette.size() ? source.palette[index] : Rgb{};
                out[x * 3] = c.b; out[x * 3 + 1] = c.g; out[x * 3 + 2] = c.r;
            } else {
                std::memcpy(out + x * 3, in + size_t(sx) * 3, 3);
            }
        }
    }
}

class Library final : public ImageLibrary {
public:
    void __stdcall CloseSource(ImageHandle image) override {
        PicturePtr p = table_.Find(image);
        if (!p) return;
        std::lock_guard<std::mutex> hold(p->lock);
        // A JPEG still waiting for its decoding keeps its bytes.
        if (p->decoded) std::vector<uint8_t>().swap(p->encoded);
    }

    void __stdcall FreeImage(ImageHandle image) override { table_.Remove(image); }

    ImageStatus __stdcall CheckImage(ImageHandle image) override {
        return Safely([&]() -> ImageStatus {
            PicturePtr p = table_.Find(image);
            if (!p) return Fail(nullptr, kErrBadHandle);
            std::lock_guard<std::mutex> hold(p->lock);
            if (!p->read) return Fail(p.get(), kErrNotDecoded);
            if (p->decoded && (p->image.Empty() || p->image.pixels.size() < p->image.Stride() * size_t(p->image.height)))
                return Fail(p.get(), kErrDamaged);
            return kOk;
        });
    }

    ImageStatus __stdcall PasteImage(ImageHandle source, ImageHandle destination, const RECT* rect, int32_t,
                                     int32_t) override {
        return Safely([&]() -> ImageStatus {
            if (!rect) return Fail(nullptr, kErrBadArgument);
            PicturePtr from = table_.Find(source), to = table_.Find(destination);
            if (!from || !to) return Fail(nullptr, kErrBadHandle);
            std::unique_lock<std::mutex> holdFrom(from->lock, std::defer_lock), holdTo(to->lock, std::defer_lock);
            if (from == to) holdTo.lock();
            else std::lock(holdFrom, holdTo);
            Status status = NeedPixels(*from);
            if (status == kOk) status = NeedPixels(*to);
            if (status != kOk) return status;
            if (to->image.IsIndexed() || to->image.bits != 24) {
                Image trueColor;
                status = ToTrueColor(to->image, trueColor);
                if (status != kOk) return Fail(to.get(), status, NoMemoryText(to->image.width, to->image.height));
                trueColor.bits = 24;
                to->image = std::move(trueColor);
            }
            if (from == to) {
                const Image copy = from->image;
                PasteInto(copy, to->image, *rect);
            } else {
                PasteInto(from->image, to->image, *rect);
            }
            return kOk;
        });
    }

    ImageStatus __stdcall DrawImage(ImageHandle image, HDC dc, const RECT* target, const RECT* source, int32_t,
                                    int32_t) override {
        return Safely([&]() -> ImageStatus {
            if (!dc || !target) return Fail(nullptr, kErrBadArgument);
            PicturePtr p = table_.Find(image);
            if (!p) return Fail(nullptr, kErrBadHandle);
            std::lock_guard<std::mutex> hold(p->lock);
            Status status = NeedPixels(*p);
            if (status != kOk) return status;
            const RECT whole = {0, 0, p->image.width, p->image.height};
            status = PaintImage(p->image, dc, *target, source ? *source : whole);
            return status == kOk ? kOk : Fail(p.get(), status);
        });
    }

    ImageStatus __stdcall GetErrorText(ImageHandle image, ImageStatus status, char* buffer, int32_t size) override {
        return Safely([&]() -> ImageStatus {
            if (!buffer || size <= 0) return kErrBadArgument;
            std::string text;
            if (PicturePtr p = table_.Find(image)) {
                std::lock_guard<std::mutex> hold(p->lock);
                if (p->failure.status == status) text = p->failure.text;
            }
            if (text.empty() && lastFailure.status == status) text = lastFailure.text;
            if (text.empty()) text = StatusText(status);
            const size_t n = std::min(text.size(), size_t(size) - 1);
            std::memcpy(buffer, text.data(), n);
            buffer[n] = '\0';
            return kOk;
        });
    }

    ImageStatus __stdcall GetFormatInfo(int32_t index, FormatInfo* info) override {
        return Safely([&]() -> ImageStatus {
            const std::vector<FormatInfo>& formats = Formats();
            if (!info || index < 0 || size_t(index) >= formats.size()) return Fail(nullptr, kErrBadArgument);
            *info = formats[size_t(index)];
            return kOk;
        });
    }

    int16_t __stdcall GetFormatCount() override {
        try {
            return int16_t(std::min<size_t>(Formats().size(), INT16_MAX));
        } catch (...) {
            return 0;
        }
    }

    ImageStatus __stdcall BeginWrite(const char* path, ImageHandle image, const FormatInfo* writer) override {
        return Safely([&]() -> ImageStatus {
            if (!path || !*path || !writer) return Fail(nullptr, kErrBadArgument);
            PicturePtr p = table_.Find(image);
            if (!p) return Fail(nullptr, kErrBadHandle);
            std::lock_guard<std::mutex> hold(p->lock);
            if (!IsBmpWriter(*writer)) {
                std::string tag(writer->tag, strnlen(writer->tag, sizeof writer->tag));
                return Fail(p.get(), kErrNoWriter, "The picture cannot be written as \"" + tag + "\"; only BMP files are written.");
            }
            p->writePath = path;
            p->writePrepared = true;
            return kOk;
        });
    }

    ImageStatus __stdcall OpenImage(const char* path, ImageHandle* image, int32_t* reserved) override {
        return Safely([&]() -> ImageStatus {
            if (reserved) *reserved = 0;
            if (!image) return Fail(nullptr, kErrBadArgument);
            *image = 0;
            if (!path || !*path) return Fail(nullptr, kErrOpen);
            auto p = std::make_shared<Picture>();
            std::string reason;
            Status status = ReadWholeFile(path, p->encoded, reason);
            if (status != kOk) return Fail(nullptr, status, WithReason(status, reason));
            p->kind = SniffFileKind(p->encoded.data(), p->encoded.size());
            p->formatIndex = FormatIndexOf(p->kind);
            std::string problem;
            status = ReadHeader(*p, problem);
            if (status == kErrBadSize) return Fail(nullptr, status, SizeRefusedText(p->header.width, p->header.height));
            if (status != kOk) return Fail(nullptr, status, WithReason(status, problem));
            *image = table_.Add(std::move(p));
            return kOk;
        });
    }

    ImageStatus __stdcall ReadImage(ImageHandle image) override {
        return Safely([&]() -> ImageStatus {
            PicturePtr p = table_.Find(image);
            if (!p) return Fail(nullptr, kErrBadHandle);
            std::lock_guard<std::mutex> hold(p->lock);
            if (p->read) return kOk;
            if (p->kind == FileKind::kJpeg && !p->viaWic) {
                // Headers and the end marker are checked; the pixels are decoded
                // when first needed, scaled down by the decoder if a reduction asks.
                p->read = true;
                return kOk;
            }
            Status status = DecodeInto(*p, 8, p->image);
            if (status != kOk) return status;
            p->read = p->decoded = true;
            return kOk;
        });
    }

    ImageStatus __stdcall SetWriteOption(ImageHandle image, int32_t option, const int32_t* values) override {
        return Safely([&]() -> ImageStatus {
            PicturePtr p = table_.Find(image);
            if (!p) return Fail(nullptr, kErrBadHandle);
            // Option 1 {2, 0} is the plain bitmap the library always writes.
            if (option != WRITE_OPTION_STANDARD || !values) return Fail(p.get(), kErrBadArgument);
            return kOk;
        });
    }

    ImageStatus __stdcall WriteImage(ImageHandle image) override {
        return Safely([&]() -> ImageStatus {
            PicturePtr p = table_.Find(image);
            if (!p) return Fail(nullptr, kErrBadHandle);
            std::lock_guard<std::mutex> hold(p->lock);
            if (!p->writePrepared)
                return Fail(p.get(), kErrBadArgument, "No file was prepared for writing the picture.");
            Status status = NeedPixels(*p);
            if (status != kOk) return status;
            // Straight from the picture to the file, a block of rows at a time.
            const Image& picture = p->image;
            std::string reason;
            status = WriteWholeFile(p->writePath, [&picture](const ByteSink& sink) { return WriteBmp(picture, sink); },
                                    reason);
            if (status == kErrNoMemory) return Fail(p.get(), status, NoMemoryText(p->image.width, p->image.height));
            if (status == kErrWrite && !reason.empty()) return Fail(p.get(), kErrWrite, WithReason(kErrWrite, reason));
            if (status != kOk) return Fail(p.get(), kErrWrite);
            p->writePrepared = false;
            return kOk;
        });
    }

    ImageStatus __stdcall GetImageInfo(ImageHandle image, ImageInfo* info) override {
        return Safely([&]() -> ImageStatus {
            if (!info) return Fail(nullptr, kErrBadArgument);
            PicturePtr p = table_.Find(image);
            if (!p) return Fail(nullptr, kErrBadHandle);
            std::lock_guard<std::mutex> hold(p->lock);
            info->structSize = sizeof(ImageInfo);
            info->width = p->decoded ? p->image.width : p->header.width;
            info->height = p->decoded ? p->image.height : p->header.height;
            info->bitsPerPixel = p->decoded ? p->image.bits : p->header.bits;
            info->colorCount = int32_t(ColorsOf(*p));
            info->formatIndex = p->formatIndex;
            return kOk;
        });
    }

    ImageStatus __stdcall GetDepthFlag(ImageHandle image, int32_t* flag) override {
        return Safely([&]() -> ImageStatus {
            if (!flag) return Fail(nullptr, kErrBadArgument);
            *flag = 0;
            PicturePtr p = table_.Find(image);
            if (!p) return Fail(nullptr, kErrBadHandle);
            std::lock_guard<std::mutex> hold(p->lock);
            *flag = DisplayColorCount() < ColorsOf(*p) ? 1 : 0;
            return kOk;
        });
    }

    ImageStatus __stdcall ReduceColors(ImageHandle image, ImageHandle* result, int32_t bits, int32_t colors,
                                       int32_t method, int32_t, int32_t) override {
        return Safely([&]() -> ImageStatus {
            if (!result) return Fail(nullptr, kErrBadArgument);
            *result = 0;
            PicturePtr p = table_.Find(image);
            if (!p) return Fail(nullptr, kErrBadHandle);
            Image reduced;
            Status status;
            {
                std::lock_guard<std::mutex> hold(p->lock);
                status = NeedPixels(*p);
                if (status != kOk) return status;
                status = zel::ReduceColors(p->image, bits, colors, ReduceMethod(method), reduced);
                if (status == kErrNoMemory) return Fail(p.get(), status, NoMemoryText(p->image.width, p->image.height));
                if (status == kErrBadArgument)
                    return Fail(p.get(), status, "Colours cannot be reduced to " + std::to_string(bits) +
                                                     " bits with method " + std::to_string(method) + ".");
                if (status != kOk && status != kNothingToDo) return Fail(p.get(), status);
            }
            *result = table_.Add(MadePicture(std::move(reduced)));
            if (status == kNothingToDo) Fail(p.get(), status);
            return status;
        });
    }

    ImageStatus __stdcall ResizeImage(ImageHandle image, ImageHandle* result, int32_t width, int32_t height,
                                      int32_t mode) override {
        return Safely([&]() -> ImageStatus {
            if (!result) return Fail(nullptr, kErrBadArgument);
            *result = 0;
            PicturePtr p = table_.Find(image);
            if (!p) return Fail(nullptr, kErrBadHandle);
            if (mode != RESIZE_REDUCE && mode != RESIZE_ENLARGE)
                return Fail(p.get(), kErrBadArgument, "Resize mode " + std::to_string(mode) + " is not known.");
            if (CheckImageSize(width, height) != kOk)
                return Fail(p.get(), kErrBadSize, SizeRefusedText(width, height));
            Image resized;
            {
                std::lock_guard<std::mutex> hold(p->lock);
                Status status = ResizeLocked(*p, width, height, resized);
                if (status != kOk) return status;
            }
            *result = table_.Add(MadePicture(std::move(resized)));
            return kOk;
        });
    }

    ImageHandle __stdcall CreateImage(int32_t width, int32_t height, int32_t bits, int32_t) override {
        try {
            if (CheckImageSize(width, height) != kOk) {
                Fail(nullptr, kErrBadSize, SizeRefusedText(width, height));
                return 0;
            }
            Image blank;
            const int32_t storage = bits <= 1 ? 1 : bits <= 4 ? 4 : bits <= 8 ? 8 : 24;
            if (AllocateImage(blank, width, height, storage) != kOk) {
                Fail(nullptr, kErrNoMemory, NoMemoryText(width, height));
                return 0;
            }
            return table_.Add(MadePicture(std::move(blank)));
        } catch (...) {
            Fail(nullptr, kErrNoMemory, NoMemoryText(width, height));
            return 0;
        }
    }

    ImageStatus __stdcall DrawCalendar(ImageHandle image, int32_t month, int32_t day, int32_t year, const RECT* rect,
                                       BOOL gridLines, BOOL usHolidays, BOOL transparentBackground) override {
        return Safely([&]() -> ImageStatus {
            if (!rect) return Fail(nullptr, kErrBadArgument);
            PicturePtr p = table_.Find(image);
            if (!p) return Fail(nullptr, kErrBadHandle);
            std::lock_guard<std::mutex> hold(p->lock);
            Status status = NeedPixels(*p);
            if (status != kOk) return status;
            CalendarRequest request;
            request.month = month;
            request.day = day;
            request.year = year;
            request.rect = Box{rect->left, rect->top, rect->right, rect->bottom};
            request.gridLines = gridLines != FALSE;
            request.usHolidays = usHolidays != FALSE;
            request.transparent = transparentBackground != FALSE;
            GdiText text;
            status = zel::DrawCalendar(p->image, request, [&text](const std::string& words, int32_t height, bool bold) {
                return text.Render(words, height, bold);
            });
            if (status == kErrBadArgument)
                return Fail(p.get(), status, "The calendar's month (" + std::to_string(month) + "/" +
                                                 std::to_string(year) + ") or rectangle cannot be drawn.");
            return status == kOk ? kOk : Fail(p.get(), status);
        });
    }

private:
    // A JPEG not yet decoded is decoded straight at the smallest DCT scale
    // that still covers the new size; the picture itself stays as it was.
    Status ResizeLocked(Picture& p, int32_t width, int32_t height, Image& out) {
        const Image* source = &p.image;
        Image scaled;
        if (!p.decoded && p.read && p.kind == FileKind::kJpeg && !p.viaWic) {
            const int eighths = ChooseJpegScale(p.header, width, height);
            if (eighths < 8) {
                Status status = DecodeInto(p, eighths, scaled);
                if (status != kOk) return status;
                source = &scaled;
            }
        }
        if (source == &p.image) {
            Status status = NeedPixels(p);
            if (status != kOk) return status;
        }
        Status status = Resize(*source, width, height, out, ReduceFilter::kArea);
        if (status == kErrNoMemory) return Fail(&p, status, NoMemoryText(width, height));
        if (status != kOk) return Fail(&p, status);
        return kOk;
    }

    PictureTable table_;
};

}  // namespace

}  // namespace zel

// Export ordinal 1 (see zelimage.def): the library's one object.
extern "C" ImageLibrary* __stdcall ZelGetImageLibrary() {
    static zel::Library library;
    return &library;
}
