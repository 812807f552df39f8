// The month calendar drawn onto a picture: dates and holidays, the layout
// of its cells inside a rectangle, and the drawing itself. Text comes from
// a renderer handed in (GDI in the DLL), so all of this stays portable.
#pragma once

#include "Image.h"

#include <functional>
#include <string>

namespace zel {

int DaysInMonth(int year, int month);
// 0 = Sunday ... 6 = Saturday.
int Weekday(int year, int month, int day);
// Bit d (1..31) set for each U.S. federal holiday of the month, both the
// day itself and, for a fixed date on a weekend, its observed weekday.
uint32_t UsHolidayMask(int year, int month);
const char* MonthName(int month);

struct Box {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
};

struct CalendarRequest {
    int month = 1, day = 0, year = 2000;
    Box rect;
    bool gridLines = false;
    bool usHolidays = false;
    bool transparent = false;
};

struct DayCell {
    int day = 0;
    Box box;
    bool today = false;
    bool holiday = false;
};

struct CalendarLayout {
    Box frame;
    Box title;
    Box weekdays[7];
    std::vector<DayCell> days;
    int weeks = 0;
    int32_t titleTextHeight = 0;
    int32_t dayTextHeight = 0;
};

Status LayoutCalendar(const CalendarRequest& request, CalendarLayout& layout);

// Anti-aliased text as coverage values 0..255, tightly cropped or not.
struct TextMask {
    int32_t width = 0, height = 0;
    std::vector<uint8_t> coverage;
};
using TextRenderer = std::function<TextMask(const std::string& text, int32_t pixelHeight, bool bold)>;

// Draws the month into request.rect; nothing outside the rectangle or the
// picture changes. Palette pictures become 24-bit first.
Status DrawCalendar(Image& image, const CalendarRequest& request, const TextRenderer& renderText);

}  // namespace zel
