#include "wallpaper/ScreenCanvas.h"

#include "settings/Settings.h"

#include <algorithm>

namespace {

// `value` brought into 0 .. period - 1.
LONG Wrap(LONG value, LONG period) {
    const LONG rest = value % period;
    return rest < 0 ? rest + period : rest;
}

// The positions along one axis: the wrapped start, and one period earlier
// when the span reaches past the end.
std::vector<LONG> AxisPlacements(LONG start, LONG length, LONG period) {
    const LONG wrapped = Wrap(start, period);
    if (wrapped + length > period) return {wrapped, wrapped - period};
    return {wrapped};
}

}  // namespace

CanvasPlan PlanCanvas(const std::vector<RECT>& monitors, CanvasStyle style) {
    RECT bounds = monitors.front();
    for (const RECT& monitor : monitors) UnionRect(&bounds, &bounds, &monitor);
    const POINT origin = style == CanvasStyle::Spanned ? POINT{bounds.left, bounds.top}
                                                       : POINT{monitors.front().left, monitors.front().top};
    return {SizeOf(bounds), origin};
}

std::vector<POINT> CanvasPlacements(const CanvasPlan& plan, POINT at, PixelSize size) {
    std::vector<POINT> placements;
    for (LONG y : AxisPlacements(at.y - plan.origin.y, size.height, plan.size.height))
        for (LONG x : AxisPlacements(at.x - plan.origin.x, size.width, plan.size.width)) placements.push_back({x, y});
    return placements;
}

POINT PictureOffset(int32_t vistalPosition, PixelSize monitor, PixelSize picture) {
    if (vistalPosition == POSITION_TILED) return {0, 0};
    return {(monitor.width - picture.width) / 2, (monitor.height - picture.height) / 2};
}

RECT VisiblePart(POINT offset, PixelSize monitor, PixelSize picture) {
    return {std::max<LONG>(0, -offset.x), std::max<LONG>(0, -offset.y),
            std::min<LONG>(picture.width, monitor.width - offset.x),
            std::min<LONG>(picture.height, monitor.height - offset.y)};
}
