#include "Calendar.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace zel {

namespace {

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

// Day of the month of the n-th (1-based) given weekday; n = 5 means the last.
int NthWeekday(int year, int month, int weekday, int n) {
    int first = 1 + (weekday - Weekday(year, month, 1) + 7) % 7;
    int day = first + 7 * (n - 1);
    while (day > DaysInMonth(year, month)) day -= 7;
    return day;
}

void MarkFixedHoliday(uint32_t& mask, int year, int month, int day) {
    mask |= 1u << day;
    int weekday = Weekday(year, month, day);
    if (weekday == 6 && day > 1) mask |= 1u << (day - 1);   // Saturday: Friday before
    if (weekday == 0 && day < DaysInMonth(year, month)) mask |= 1u << (day + 1);  // Sunday: Monday after
}

}  // namespace

int DaysInMonth(int year, int month) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

int Weekday(int year, int month, int day) {
    static const int kOffsets[12] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (month < 3) year -= 1;
    return (year + year / 4 - year / 100 + year / 400 + kOffsets[month - 1] + day) % 7;
}

uint32_t UsHolidayMask(int year, int month) {
    constexpr int kMonday = 1, kThursday = 4;
    uint32_t mask = 0;
    switch (month) {
    case 1:
        MarkFixedHoliday(mask, year, 1, 1);
        if (year >= 1986) mask |= 1u << NthWeekday(year, 1, kMonday, 3);
        break;
    case 2:
        if (year >= 1971) mask |= 1u << NthWeekday(year, 2, kMonday, 3);
        else MarkFixedHoliday(mask, year, 2, 22);
        break;
    case 5:
        if (year >= 1971) mask |= 1u << NthWeekday(year, 5, kMonday, 5);
        else MarkFixedHoliday(mask, year, 5, 30);
        break;
    case 6:
        if (year >= 2021) MarkFixedHoliday(mask, year, 6, 19);
        break;
    case 7:
        MarkFixedHoliday(mask, year, 7, 4);
        break;
    case 9:
        mask |= 1u << NthWeekday(year, 9, kMonday, 1);
        break;
    case 10:
        if (year >= 1971) mask |= 1u << NthWeekday(year, 10, kMonday, 2);
        else MarkFixedHoliday(mask, year, 10, 12);
        if (year >= 1971 && year <= 1977) mask |= 1u << NthWeekday(year, 10, kMonday, 4);  // Veterans Day then
        break;
    case 11:
        if (year < 1971 || year > 1977) MarkFixedHoliday(mask, year, 11, 11);
        mask |= 1u << NthWeekday(year, 11, kThursday, 4);
        break;
    case 12:
        MarkFixedHoliday(mask, year, 12, 25);
        if (Weekday(year + 1, 1, 1) == 6) mask |= 1u << 31;  // next New Year's Day, observed
        break;
    default:
        break;
    }
    return mask;
}

const char* MonthName(int month) {
    static const char* const kNames[12] = {"January", "February", "March", "April", "May", "June", "July",
                                           "August", "September", "October", "November", "December"};
    return month >= 1 && month <= 12 ? kNames[month - 1] : "";
}

Status LayoutCalendar(const CalendarRequest& request, CalendarLayout& layout) {
    const Box& r = request.rect;
    if (request.month < 1 || request.month > 12 || request.year < 1 || request.year > 9999) return kErrBadArgument;
    if (r.Width() < 7 || r.Height() < 8) return kErrBadArgument;
    CalendarLayout l;
    l.frame = r;
    const int firstWeekday = Weekday(request.year, request.month, 1);
    const int days = DaysInMonth(request.year, request.month);
    l.weeks = (firstWeekday + days + 6) / 7;

    // Rows in units: title 1.5, weekday initials 1, then the weeks.
    const int32_t pad = std::max(1, std::min(r.Width(), r.Height()) / 40);
    const Box inner{r.left + pad, r.top + pad, r.right - pad, r.bottom - pad};
    const double unit = double(inner.Height()) / (2.5 + l.weeks);
    auto rowTop = [&](double units) { return inner.top + int32_t(std::lround(units * unit)); };
    auto column = [&](int c) { return inner.left + int32_t(std::lround(double(inner.Width()) * c / 7)); };

    l.title = Box{inner.left, inner.top, inner.right, rowTop(1.5)};
    for (int c = 0; c < 7; ++c) l.weekdays[c] = Box{column(c), rowTop(1.5), column(c + 1), rowTop(2.5)};
    const uint32_t holidays = request.usHolidays ? UsHolidayMask(request.year, request.month) : 0;
    for (int d = 1; d <= days; ++d) {
        int slot = firstWeekday + d - 1, week = slot / 7, c = slot % 7;
        DayCell cell;
        cell.day = d;
        cell.box = Box{column(c), rowTop(2.5 + week), column(c + 1), rowTop(3.5 + week)};
        cell.today = d == request.day;
        cell.holiday = (holidays >> d) & 1;
        l.days.push_back(cell);
    }
    const double cellWidth = double(inner.Width()) / 7;
    l.dayTextHeight = std::max<int32_t>(1, int32_t(std::min(unit * 0.62, cellWidth * 0.55)));
    l.titleTextHeight = std::max<int32_t>(1, int32_t(std::min(unit * 1.5 * 0.62, inner.Width() / 8.0)));
    layout = std::move(l);
    return kOk;
}

namespace {

struct Color {
    uint8_t r, g, b;
};

// Blends onto the picture, clipped to `clip` (the calendar rectangle
// already cut to the picture).
class Canvas {
public:
    Canvas(Image& image, const Box& clip) : image_(image), clip_(clip) {}

    void Fill(const Box& box, Color c, uint8_t alpha) {
        Box b = Clipped(box);
        for (int32_t y = b.top; y < b.bottom; ++y)
            for (int32_t x = b.left; x < b.right; ++x) Blend(x, y, c, alpha);
    }

    void Frame(const Box& box, int32_t thickness, Color c, uint8_t alpha) {
        Fill(Box{box.left, box.top, box.right, box.top + thickness}, c, alpha);
        Fill(Box{box.left, box.bottom - thickness, box.right, box.bottom}, c, alpha);
        Fill(Box{box.left, box.top + thickness, box.left + thickness, box.bottom - thickness}, c, alpha);
        Fill(Box{box.right - thickness, box.top + thickness, box.right, box.bottom - thickness}, c, alpha);
    }

    void Mask(const TextMask& mask, int32_t left, int32_t top, Color c, uint8_t alpha) {
        for (int32_t my = 0; my < mask.height; ++my) {
            int32_t y = top + my;
            if (y < clip_.top || y >= clip_.bottom) continue;
            for (int32_t mx = 0; mx < mask.width; ++mx) {
                int32_t x = left + mx;
                uint8_t cover = mask.coverage[size_t(my) * size_t(mask.width) + size_t(mx)];
                if (cover && x >= clip_.left && x < clip_.right) Blend(x, y, c, uint8_t(cover * alpha / 255));
            }
        }
    }

private:
    Box Clipped(const Box& b) const {
        return Box{std::max(b.left, clip_.left), std::max(b.top, clip_.top), std::min(b.right, clip_.right),
                   std::min(b.bottom, clip_.bottom)};
    }

    void Blend(int32_t x, int32_t y, Color c, uint8_t alpha) {
        uint8_t* p = image_.Row(y) + size_t(x) * 3;
        p[0] = uint8_t(p[0] + ((c.b - p[0]) * alpha + 127) / 255);
        p[1] = uint8_t(p[1] + ((c.g - p[1]) * alpha + 127) / 255);
        p[2] = uint8_t(p[2] + ((c.r - p[2]) * alpha + 127) / 255);
    }

    Image& image_;
    Box clip_;
};

// The mask grown by `radius` pixels: the halo that keeps light text
// readable on light pictures.
TextMask Dilate(const TextMask& mask, int32_t radius) {
    TextMask grown;
    grown.width = mask.width + 2 * radius;
    grown.height = mask.height + 2 * radius;
    grown.coverage.assign(size_t(grown.width) * size_t(grown.height), 0);
    for (int32_t y = 0; y < mask.height; ++y)
        for (int32_t x = 0; x < mask.width; ++x) {
            uint8_t v = mask.coverage[size_t(y) * size_t(mask.width) + size_t(x)];
            if (!v) continue;
            for (int32_t dy = -radius; dy <= radius; ++dy)
                for (int32_t dx = -radius; dx <= radius; ++dx) {
                    if (dx * dx + dy * dy > radius * radius + radius) continue;
                    uint8_t& g = grown.coverage[size_t(y + dy + radius) * size_t(grown.width) + size_t(x + dx + radius)];
                    g = std::max(g, v);
                }
        }
    return grown;
}

struct Palette {
    Color panel, border, titleBar, titleText, weekdayText, dayText, holidayText, holidayFill, todayFill,
        todayText, grid, halo;
};

const Palette kOpaque{{255, 255, 255}, {150, 150, 150}, {31, 78, 121}, {255, 255, 255}, {80, 80, 80},
                      {32, 32, 32},    {192, 0, 0},     {253, 226, 226}, {31, 78, 121}, {255, 255, 255},
                      {205, 205, 205}, {0, 0, 0}};
const Palette kTransparent{{0, 0, 0},     {255, 255, 255}, {0, 0, 0},       {255, 255, 255}, {235, 235, 235},
                           {255, 255, 255}, {255, 140, 140}, {0, 0, 0},     {255, 255, 255}, {255, 255, 255},
                           {255, 255, 255}, {0, 0, 0}};

class CalendarPainter {
public:
    CalendarPainter(Canvas& canvas, const TextRenderer& render, bool transparent)
        : canvas_(canvas), render_(render), transparent_(transparent), colors_(transparent ? kTransparent : kOpaque) {}

    // Centred in the box, shrunk until it fits its width.
    void Text(const std::string& text, const Box& box, int32_t height, bool bold, Color color) {
        if (!render_ || height < 1) return;
        TextMask mask = render_(text, height, bold);
        const int32_t room = std::max(1, box.Width() - 2);
        if (mask.width > room && mask.width > 0) {
            int32_t smaller = std::max<int32_t>(1, height * room / mask.width);
            if (smaller < height) mask = render_(text, smaller, bold);
        }
        if (mask.width <= 0 || mask.height <= 0 ||
            mask.coverage.size() < size_t(mask.width) * size_t(mask.height))
            return;
        const int32_t left = box.left + (box.Width() - mask.width) / 2;
        const int32_t top = box.top + (box.Height() - mask.height) / 2;
        if (transparent_) {
            const int32_t radius = std::max(1, height / 10);
            canvas_.Mask(Dilate(mask, radius), left - radius, top - radius, colors_.halo, 170);
        }
        canvas_.Mask(mask, left, top, color, 255);
    }

    void Panel(const CalendarLayout& l) {
        if (transparent_) return;
        canvas_.Fill(l.frame, colors_.panel, 224);
        canvas_.Fill(l.title, colors_.titleBar, 255);
        canvas_.Frame(l.frame, 1, colors_.border, 255);
    }

    void Grid(const CalendarLayout& l) {
        const uint8_t alpha = transparent_ ? 150 : 255;
        for (const DayCell& cell : l.days) {
            if (transparent_) canvas_.Frame(Shifted(cell.box, 1), 1, colors_.halo, 110);
            canvas_.Frame(Box{cell.box.left, cell.box.top, cell.box.right + 1, cell.box.bottom + 1}, 1,
                          colors_.grid, alpha);
        }
        const Box header{l.weekdays[0].left, l.weekdays[0].bottom - 1, l.weekdays[6].right + 1, l.weekdays[0].bottom};
        canvas_.Fill(header, colors_.grid, alpha);
    }

    void Marks(const CalendarLayout& l) {
        for (const DayCell& cell : l.days) {
            const Box inside{cell.box.left + 1, cell.box.top + 1, cell.box.right, cell.box.bottom};
            if (cell.holiday && !transparent_) canvas_.Fill(inside, colors_.holidayFill, 255);
            if (!cell.today) continue;
            if (transparent_) {
                const int32_t t = std::max(1, cell.box.Height() / 14);
                canvas_.Frame(Shifted(inside, 1), t, colors_.halo, 160);
                canvas_.Frame(inside, t, colors_.todayFill, 255);
            } else {
                canvas_.Fill(inside, colors_.todayFill, 255);
            }
        }
    }

    void Texts(const CalendarLayout& l, int year, int month) {
        Text(std::string(MonthName(month)) + " " + std::to_string(year), l.title, l.titleTextHeight, true,
             colors_.titleText);
        static const char* const kInitials[7] = {"S", "M", "T", "W", "T", "F", "S"};
        for (int c = 0; c < 7; ++c) Text(kInitials[c], l.weekdays[c], l.dayTextHeight, true, colors_.weekdayText);
        for (const DayCell& cell : l.days) {
            Color color = cell.today && !transparent_ ? colors_.todayText
                          : cell.holiday              ? colors_.holidayText
                                                      : colors_.dayText;
            Text(std::to_string(cell.day), cell.box, l.dayTextHeight, cell.today || cell.holiday, color);
        }
    }

private:
    static Box Shifted(const Box& b, int32_t by) { return Box{b.left + by, b.top + by, b.right + by, b.bottom + by}; }

    Canvas& canvas_;
    const TextRenderer& render_;
    bool transparent_;
    Palette colors_;
};

}  // namespace

Status DrawCalendar(Image& image, const CalendarRequest& request, const TextRenderer& renderText) {
    if (image.Empty()) return kErrBadArgument;
    CalendarLayout layout;
    Status status = LayoutCalendar(request, layout);
    if (status != kOk) return status;
    const Box& r = request.rect;
    const Box clip{std::max(r.left, 0), std::max(r.top, 0), std::min(r.right, image.width),
                   std::min(r.bottom, image.height)};
    if (clip.left >= clip.right || clip.top >= clip.bottom) return kOk;  // wholly outside: nothing to draw
    try {
        if (image.IsIndexed() || image.bits != 24) {
            Image trueColor;
            status = ToTrueColor(image, trueColor);
            if (status != kOk) return status;
            trueColor.bits = 24;
            image = std::move(trueColor);
        }
        Canvas canvas(image, clip);
        CalendarPainter painter(canvas, renderText, request.transparent);
        painter.Panel(layout);
        painter.Marks(layout);
        if (request.gridLines) painter.Grid(layout);
        painter.Texts(layout, request.year, request.month);
    } catch (const std::bad_alloc&) {
        return kErrNoMemory;
    }
    return kOk;
}

}  // namespace zel
