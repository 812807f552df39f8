// One bitmap for every monitor: where each monitor's picture goes in it, and
// how Windows is asked to lay it out over the monitors.
#pragma once

#include "wallpaper/Composition.h"

#include <windows.h>

#include <vector>

// How Windows shows one bitmap across all monitors.
enum class CanvasStyle {
    // Windows 8 and later, wallpaper style "span": the bitmap is laid over
    // the rectangle around all monitors; one of exactly that size is shown
    // unscaled, its top-left pixel at that rectangle's top-left corner.
    Spanned,
    // Windows 7, "tile": the bitmap repeats from the primary monitor's
    // top-left corner in every direction, so monitors left of or above the
    // primary show the far end of the bitmap.
    TiledFromPrimary,
};

struct CanvasPlan {
    PixelSize size;  // the rectangle around all monitors
    POINT origin;    // the screen point that the bitmap's top-left pixel covers
};

// `monitors`: screen rectangles in physical pixels, the primary first.
CanvasPlan PlanCanvas(const std::vector<RECT>& monitors, CanvasStyle style);

// Where an area of `size` whose top-left lies at screen point `at` goes in
// the bitmap: one top-left corner, or two to four when the area reaches past
// the bitmap's right or bottom edge and wraps round to the other side.
std::vector<POINT> CanvasPlacements(const CanvasPlan& plan, POINT at, PixelSize size);

// The top-left corner of a fitted picture relative to its monitor's, as
// Windows places a wallpaper on one screen: centred, or at the top-left
// corner when tiled.
POINT PictureOffset(int32_t vistalPosition, PixelSize monitor, PixelSize picture);

// The part of a picture at `offset` that its monitor shows, in the picture's
// own coordinates.
RECT VisiblePart(POINT offset, PixelSize monitor, PixelSize picture);

inline PixelSize SizeOf(const RECT& r) { return {r.right - r.left, r.bottom - r.top}; }
