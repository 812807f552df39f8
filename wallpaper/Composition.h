// The arithmetic of one wallpaper: how a picture is fitted to the screen,
// where it is tiled, where the calendar goes, and how far colours are reduced.
#pragma once

#include <windows.h>

#include <stdint.h>
#include <string>
#include <vector>

struct PixelSize {
    int32_t width;
    int32_t height;
};

inline bool operator==(PixelSize a, PixelSize b) { return a.width == b.width && a.height == b.height; }

// A resize the fitting asks for; `needed` false leaves the picture as it is.
struct FitResize {
    bool needed;
    PixelSize size;
    int32_t mode;  // RESIZE_REDUCE or RESIZE_ENLARGE
};

// Fit Desktop stretches to the screen; Maximum Fit fills the screen in one
// direction keeping the proportions; Centered and Tiled leave the size alone.
FitResize FitPicture(int32_t vistalPosition, PixelSize screen, PixelSize picture);

// A Tiled picture smaller than the screen is pasted into a screen-sized
// image before a calendar is drawn on it.
bool NeedsTiling(int32_t vistalPosition, PixelSize screen, PixelSize picture);
// The rectangles where the picture is pasted, row by row.
std::vector<RECT> TileRectangles(PixelSize screen, PixelSize picture);

struct CalendarLayout {
    int32_t position;  // "CalendarPosition": 1 center, 2..5 the corners
    int32_t width, height, marginX, marginY;
};

// Rectangle coordinates stay within this distance of 0, so that a width or a
// height (right - left) always fits in 32 bits.
constexpr int32_t kCoordinateLimit = 0x3FFFFFFF;
LONG ClampCoordinate(int64_t value);

// The calendar's rectangle on the picture; false when the position names no
// placement. `picture` is null when the picture's size is unknown; `tiled`
// says the picture was tiled to the screen's size.
bool CalendarRectangle(const CalendarLayout& layout, int32_t vistalPosition, PixelSize screen,
                       const PixelSize* picture, RECT* rect);

// How colours are reduced for a display of `depth` bits per pixel.
struct ColorReduction {
    int32_t bits;
    int32_t colors;
    int32_t method;  // REDUCE_OPTIMIZED_DIFFUSED or REDUCE_FIXED_PALETTE
};
ColorReduction ReductionForDepth(int32_t depth);

// "vistals.bmp" in the folder of the program file `moduleFileName`, of any
// length; a network path keeps its "\\server\share" form.
std::string WallpaperOutputPath(const std::string& moduleFileName);
