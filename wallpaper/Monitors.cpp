#include "wallpaper/Monitors.h"

#include <versionhelpers.h>

#include <algorithm>

namespace {

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoA(monitor, &info)) return TRUE;
    auto& monitors = *reinterpret_cast<std::vector<RECT>*>(list);
    if (info.dwFlags & MONITORINFOF_PRIMARY) monitors.insert(monitors.begin(), info.rcMonitor);
    else monitors.push_back(info.rcMonitor);
    return TRUE;
}

}  // namespace

std::vector<RECT> CurrentMonitors() {
    std::vector<RECT> monitors;
    EnumDisplayMonitors(nullptr, nullptr, &AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    if (monitors.empty()) return {{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}};
    // The primary is at (0, 0) by definition; the others in reading order.
    std::sort(monitors.begin() + 1, monitors.end(), [](const RECT& a, const RECT& b) {
        return a.left != b.left ? a.left < b.left : a.top < b.top;
    });
    return monitors;
}

CanvasStyle CurrentCanvasStyle() {
    return IsWindows8OrGreater() ? CanvasStyle::Spanned : CanvasStyle::TiledFromPrimary;
}

RECT PrimaryPartOfWallpaper(PixelSize size) {
    const std::vector<RECT> monitors = CurrentMonitors();
    const CanvasPlan plan = PlanCanvas(monitors, CurrentCanvasStyle());
    if (monitors.size() < 2 || !(plan.size == size)) return {0, 0, size.width, size.height};
    // The primary's corner is where tiling starts, or inside the span: it never wraps.
    const RECT& primary = monitors.front();
    const POINT at = CanvasPlacements(plan, {primary.left, primary.top}, SizeOf(primary)).front();
    return {at.x, at.y, at.x + primary.right - primary.left, at.y + primary.bottom - primary.top};
}
