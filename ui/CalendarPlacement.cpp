#include "ui/CalendarPlacement.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>

bool PlaceCalendarOnScreen(int32_t position, int32_t width, int32_t height, int32_t marginX,
                           int32_t marginY, int32_t sw, int32_t sh, CalendarOnScreen* rect) {
    const int64_t w = width, h = height, mx = marginX, my = marginY;
    int64_t left = 0, top = 0;
    switch (position) {
        case 1: left = (sw - w) / 2; top = (sh - h) / 2; break;
        case 2: left = mx; top = my; break;
        case 3: left = sw - mx - w; top = my; break;
        case 4: left = mx; top = sh - my - h; break;
        case 5: left = sw - mx - w; top = sh - my - h; break;
        default: return false;
    }
    *rect = {left, top, left + w, top + h};
    return true;
}

CalendarProblem CheckCalendar(int32_t position, int32_t width, int32_t height, int32_t marginX,
                              int32_t marginY, int32_t sw, int32_t sh) {
    CalendarOnScreen rect{};
    if (!PlaceCalendarOnScreen(position, width, height, marginX, marginY, sw, sh, &rect))
        return CalendarProblem::None;
    if (width < 1 || width > sw) return CalendarProblem::Width;
    if (height < 1 || height > sh) return CalendarProblem::Height;
    // The center needs no margins.
    if (position == 1) return CalendarProblem::None;
    if (rect.left < 0 || rect.right > sw) return CalendarProblem::MarginX;
    if (rect.top < 0 || rect.bottom > sh) return CalendarProblem::MarginY;
    return CalendarProblem::None;
}

RECT PreviewCalendarBox(const CalendarOnScreen& rect, int32_t sw, int32_t sh, const RECT& preview) {
    const double pw = preview.right - preview.left;
    const double ph = preview.bottom - preview.top;
    // Each quotient first, then the product, truncated toward zero.
    auto scale = [](double size, int64_t value, int32_t screen) {
        return static_cast<LONG>(size * (static_cast<double>(value) / screen)) + 1;
    };
    RECT box;
    box.left = preview.left + std::max<LONG>(1, scale(pw, rect.left, sw));
    box.right = preview.left + scale(pw, rect.right, sw);
    box.top = preview.top + std::max<LONG>(1, scale(ph, rect.top, sh));
    box.bottom = preview.top + scale(ph, rect.bottom, sh);
    return box;
}

int32_t CalendarNumberFromText(const char* text) {
    const char* start = text;
    while (std::isspace(static_cast<unsigned char>(*start))) ++start;
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(start, &end, 10);
    if (end == start) return 0;
    while (std::isspace(static_cast<unsigned char>(*end))) ++end;
    if (*end != '\0') return 0;
    if (errno == ERANGE || value > static_cast<long long>(UINT32_MAX))
        return value < 0 ? INT32_MIN : INT32_MAX;
    if (value > INT32_MAX) return static_cast<int32_t>(static_cast<uint32_t>(value));
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(value);
}
