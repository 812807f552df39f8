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
