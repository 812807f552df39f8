#include "Decoders.h"

#include <algorithm>
#include <cstring>

#include <gif_lib.h>

namespace zel {

namespace {

struct MemoryReader {
    const uint8_t* data;
    size_t size;
    size_t pos;
};

int ReadFromMemory(GifFileType* gif, GifByteType* buffer, int length) {
    MemoryReader* reader = static_cast<MemoryReader*>(gif->UserData);
    if (length <= 0) return 0;
    size_t n = std::min(size_t(length), reader->size - reader->pos);
    if (n == 0) return 0;
    std::memcpy(buffer, reader->data + reader->pos, n);
    reader->pos += n;
    return int(n);
}

class GifFile {
public:
    GifFile(const uint8_t* data, size_t size) : reader_{data, size, 0} {
        int error = 0;
        gif_ = DGifOpen(&reader_, ReadFromMemory, &error);
    }
    ~GifFile() {
        int error = 0;
        if (gif_) DGifCloseFile(gif_, &error);
    }
    GifFile(const GifFile&) = delete;
    GifFile& operator=(const GifFile&) = delete;
    GifFileType* get() const { return gif_; }

private:
    MemoryReader reader_;
    GifFileType* gif_ = nullptr;
};

// Colour key of the frame's graphic control extension, or -1.
int TransparentIndex(GifByteType* extension) {
    if (extension && extension[0] >= 4 && (extension[1] & 1)) return extension[4];
    return -1;
}

// The palette picture as true colour, black outside the frame.
Status BlackenOutside(const GifImageDesc& frame, Image& image) {
    Image trueColor;
    Status status = ToTrueColor(image, trueColor);
    if (status != kOk) return status;
    for (int32_t y = 0; y < trueColor.height; ++y) {
        uint8_t* row = trueColor.Row(y);
        const bool rowInFrame = y >= frame.Top && y < frame.Top + frame.Height;
        for (int32_t x = 0; x < trueColor.width; ++x)
            if (!rowInFrame || x < frame.Left || x >= frame.Left + frame.Width) std::fill(row + 3 * x, row + 3 * x + 3, 0);
    }
    image = std::move(trueColor);
    return kOk;
}

Status ReadFirstFrame(GifFileType* gif, Image& image) {
    int transparent = -1;
    while (true) {
        GifRecordType type;
        if (DGifGetRecordType(gif, &type) == GIF_ERROR) return kErrDamaged;
        if (type == TERMINATE_RECORD_TYPE) return kErrDamaged;  // no picture at all
        if (type == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* extension = nullptr;
            if (DGifGetExtension(gif, &code, &extension) == GIF_ERROR) return kErrDamaged;
            if (code == GRAPHICS_EXT_FUNC_CODE) transparent = TransparentIndex(extension);
            while (extension)
                if (DGifGetExtensionNext(gif, &extension) == GIF_ERROR) return kErrDamaged;
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE) continue;
        if (DGifGetImageDesc(gif) == GIF_ERROR) return kErrDamaged;
        break;
    }
    const GifImageDesc& frame = gif->Image;
    const ColorMapObject* map = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
    if (!map || map->ColorCount <= 0 || frame.Width <= 0 || frame.Height <= 0) return kErrDamaged;
    const int32_t canvasWidth = std::max<int32_t>(gif->SWidth, frame.Left + frame.Width);
    const int32_t canvasHeight = std::max<int32_t>(gif->SHeight, frame.Top + frame.Height);
    Status status = AllocateImage(image, canvasWidth, canvasHeight, 8);
    if (status != kOk) return status;
    image.palette.assign(size_t(map->ColorCount), Rgb{});
    for (int i = 0; i < map->ColorCount; ++i)
        image.palette[size_t(i)] = Rgb{map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue};
    // Uncovered and transparent pixels show black: through the transparent
    // entry, an added one, or an existing black one. A full palette without
    // black leaves nothing to point at; the uncovered area is then
    // blackened after the picture is made true colour.
    uint8_t fill = 0;
    bool blackenUncovered = false;
    const auto black = std::find(image.palette.begin(), image.palette.end(), Rgb{});
    if (transparent >= 0 && transparent < map->ColorCount) {
        image.palette[size_t(transparent)] = Rgb{};
        fill = uint8_t(transparent);
    } else if (image.palette.size() < 256) {
        image.palette.push_back(Rgb{});
        fill = uint8_t(image.palette.size() - 1);
    } else if (black != image.palette.end()) {
        fill = uint8_t(black - image.palette.begin());
    } else {
        blackenUncovered = true;
    }
    std::fill(image.pixels.begin(), image.pixels.end(), fill);

    std::vector<GifPixelType> line(size_t(frame.Width));
    static const int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
    const int passes = frame.Interlace ? 4 : 1;
    for (int pass = 0; pass < passes; ++pass) {
        for (int row = frame.Interlace ? kStart[pass] : 0; row < frame.Height; row += frame.Interlace ? kStep[pass] : 1) {
            if (DGifGetLine(gif, line.data(), frame.Width) == GIF_ERROR) return kErrDamaged;
            uint8_t* out = image.Row(frame.Top + row) + frame.Left;
            for (int x = 0; x < frame.Width; ++x)
                out[x] = line[size_t(x)] < image.palette.size() ? line[size_t(x)] : fill;
        }
    }
    image.bits = 8;
    const bool coversScreen = frame.Left == 0 && frame.Top == 0 && frame.Width == canvasWidth && frame.Height == canvasHeight;
    return blackenUncovered && !coversScreen ? BlackenOutside(frame, image) : kOk;
}

}  // namespace

Status ReadGifInfo(const uint8_t* data, size_t size, HeaderInfo& info) {
    GifFile file(data, size);
    if (!file.get()) {
        info.problem = "the GIF header is not readable";
        return kErrDamaged;
    }
    info.width = file.get()->SWidth;
    info.height = file.get()->SHeight;
    info.bits = 8;
    return CheckImageSize(info.width, info.height);
}

Status DecodeGif(const uint8_t* data, size_t size, Image& out, std::string* problem) {
    GifFile file(data, size);
    if (!file.get()) {
        if (problem) *problem = "the GIF header is not readable";
        return kErrDamaged;
    }
    Status status = CheckImageSize(file.get()->SWidth, file.get()->SHeight);
    if (status != kOk) return status;
    Image image;
    status = ReadFirstFrame(file.get(), image);
    if (status != kOk) {
        if (problem && status == kErrDamaged) *problem = GifErrorString(file.get()->Error);
        return status;
    }
    out = std::move(image);
    return kOk;
}

}  // namespace zel
