#include "Composition.h"

#include "framework/FilePath.h"
#include "settings/Settings.h"
#include "ImageLibrary.h"

#include <algorithm>

namespace {

int32_t ResizeModeFor(PixelSize from, PixelSize to) {
    return to.width > from.width && to.height > from.height ? RESIZE_ENLARGE : RESIZE_REDUCE;
}

FitResize ResizeTo(PixelSize from, PixelSize to) {
    if (to == from) return {false, from, 0};
    return {true, to, ResizeModeFor(from, to)};
}

// Maximum Fit: the ratios are single-precision values, products are formed
// in double precision and truncated, exactly as earlier versions computed
// them, so the same picture keeps giving the same wallpaper size.
PixelSize MaximumFitSize(PixelSize screen, PixelSize picture) {
    const float widthRatio = static_cast<float>(static_cast<double>(screen.width) / picture.width);
    const double heightRatio = static_cast<double>(screen.height) / picture.height;
    if (heightRatio >= static_cast<double>(widthRatio))
        return {screen.width, static_cast<int32_t>(picture.height * static_cast<double>(widthRatio))};
    const float heightRatioSingle = static_cast<float>(heightRatio);
    return {static_cast<int32_t>(picture.width * static_cast<double>(heightRatioSingle)), screen.height};
}

}  // namespace

LONG ClampCoordinate(int64_t value) {
    return static_cast<LONG>(std::max<int64_t>(-kCoordinateLimit, std::min<int64_t>(kCoordinateLimit, value)));
}

FitResize FitPicture(int32_t vistalPosition, PixelSize screen, PixelSize picture) {
    if (picture.width <= 0 || picture.height <= 0) return {false, picture, 0};
    switch (vistalPosition) {
        case POSITION_FIT_DESKTOP: return ResizeTo(picture, screen);
        case POSITION_MAXIMUM_FIT: return ResizeTo(picture, MaximumFitSize(screen, picture));
        default: return {false, picture, 0};
    }
}

bool NeedsTiling(int32_t vistalPosition, PixelSize screen, PixelSize picture) {
    return vistalPosition == POSITION_TILED && picture.width > 0 && picture.height > 0 &&
           (picture.width < screen.width || picture.height < screen.height);
}

std::vector<RECT> TileRectangles(PixelSize screen, PixelSize picture) {
    std::vector<RECT> tiles;
    if (picture.width <= 0 || picture.height <= 0) return tiles;
    for (int32_t y = 0; y < screen.height; y += picture.height)
        for (int32_t x = 0; x < screen.width; x += picture.width)
            tiles.push_back({x, y, x + picture.width, y + picture.height});
    return tiles;
}

bool CalendarRectangle(const CalendarLayout& layout, int32_t vistalPosition, PixelSize screen,
                       const PixelSize* picture, RECT* rect) {
    if (layout.position < 1 || layout.position > 5) return false;

    PixelSize reference = screen;
    POINT offset = {0, 0};
    if (picture) {
        const bool smaller = picture->width < screen.width || picture->height < screen.height;
        if (smaller && vistalPosition != POSITION_TILED) {
            reference = {std::min(screen.width, picture->width), std::min(screen.height, picture->height)};
        }
        // A centered picture larger than the screen shows only its middle.
        if (vistalPosition == POSITION_CENTERED) {
            if (reference.width < picture->width) offset.x = (picture->width - reference.width) / 2;
            if (reference.height < picture->height) offset.y = (picture->height - reference.height) / 2;
        }
    }

    // The calendar's values are stored ones and can be anything 32 bits
    // hold: the sums are formed in 64 bits and brought back within reach.
    const int64_t width = layout.width, height = layout.height;
    const int64_t right = int64_t{reference.width} - layout.marginX - width;
    const int64_t bottom = int64_t{reference.height} - layout.marginY - height;
    int64_t left = 0, top = 0;
    switch (layout.position) {
        case 1: left = (reference.width - width) / 2, top = (reference.height - height) / 2; break;
        case 2: left = layout.marginX, top = layout.marginY; break;
        case 3: left = right, top = layout.marginY; break;
        case 4: left = layout.marginX, top = bottom; break;
        case 5: left = right, top = bottom; break;
    }
    left += offset.x;
    top += offset.y;
    *rect = {ClampCoordinate(left), ClampCoordinate(top), ClampCoordinate(left + width),
             ClampCoordinate(top + height)};
    return true;
}

ColorReduction ReductionForDepth(int32_t depth) {
    if (depth > 24) return {24, 1 << 24, REDUCE_OPTIMIZED_DIFFUSED};
    const int32_t bits = std::max(depth, 1);
    return {bits, 1 << bits, depth >= 5 ? REDUCE_OPTIMIZED_DIFFUSED : REDUCE_FIXED_PALETTE};
}

std::string WallpaperOutputPath(const std::string& moduleFileName) {
    return FolderPart(moduleFileName.c_str()).str() + "\\vistals.bmp";
}
