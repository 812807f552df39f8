#include "../../core/Calendar.h"
#include "../TestImages.h"

#include <gtest/gtest.h>

#include <vector>

using namespace zel;
using namespace zeltest;

namespace {

std::vector<int> Days(uint32_t mask) {
    std::vector<int> days;
    for (int d = 1; d <= 31; ++d)
        if ((mask >> d) & 1) days.push_back(d);
    return days;
}

// Every text is a solid block as wide as it has characters.
TextMask BlockText(const std::string& text, int32_t height, bool) {
    TextMask mask;
    mask.width = int32_t(text.size()) * std::max(1, height / 2);
    mask.height = height;
    mask.coverage.assign(size_t(mask.width) * size_t(mask.height), 255);
    return mask;
}

}  // namespace

TEST(Holidays, FederalHolidaysOfTwentyTwentyFour) {
    using V = std::vector<int>;
    const V expected[13] = {{}, {1, 15}, {19}, {}, {}, {27}, {19}, {4}, {}, {2}, {14}, {11, 28}, {25}};
    for (int month = 1; month <= 12; ++month) EXPECT_EQ(expected[month], Days(UsHolidayMask(2024, month))) << month;
}

TEST(Holidays, WeekendDatesAreObservedOnTheNearestWeekday) {
    EXPECT_EQ((std::vector<int>{18, 19}), Days(UsHolidayMask(2021, 6)));   // Saturday -> Friday
    EXPECT_EQ((std::vector<int>{4, 5}), Days(UsHolidayMask(2021, 7)));     // Sunday -> Monday
    EXPECT_EQ((std::vector<int>{24, 25, 31}), Days(UsHolidayMask(2021, 12)));  // and New Year 2022 on Friday
    EXPECT_EQ((std::vector<int>{1, 2, 16}), Days(UsHolidayMask(2023, 1)));
    EXPECT_EQ((std::vector<int>{10, 11, 23}), Days(UsHolidayMask(2023, 11)));
    EXPECT_TRUE(Days(UsHolidayMask(2020, 6)).empty()) << "Juneteenth counts from 2021";
    EXPECT_EQ((std::vector<int>{1}), Days(UsHolidayMask(1985, 1))) << "no MLK day before 1986";
}

TEST(Holidays, DatesAndWeekdays) {
    EXPECT_EQ(6, Weekday(2000, 1, 1));
    EXPECT_EQ(4, Weekday(2024, 2, 29));
    EXPECT_EQ(29, DaysInMonth(2000, 2));
    EXPECT_EQ(28, DaysInMonth(1900, 2));
    EXPECT_STREQ("September", MonthName(9));
}

TEST(CalendarLayout, CellsFillTheRectangleInWeekdayColumns) {
    CalendarRequest request;
    request.month = 3; request.day = 14; request.year = 2024;  // March 2024 starts on a Friday
    request.rect = Box{100, 50, 310, 230};
    request.usHolidays = true;
    CalendarLayout layout;
    ASSERT_EQ(kOk, LayoutCalendar(request, layout));
    ASSERT_EQ(31u, layout.days.size());
    EXPECT_EQ(6, layout.weeks);
    EXPECT_EQ(layout.weekdays[5].left, layout.days[0].box.left);
    EXPECT_EQ(layout.weekdays[0].left, layout.days[2].box.left);
    EXPECT_GT(layout.days[2].box.top, layout.days[0].box.top);
    for (const DayCell& cell : layout.days) {
        EXPECT_GE(cell.box.left, 100); EXPECT_LE(cell.box.right, 310);
        EXPECT_GE(cell.box.top, 50); EXPECT_LE(cell.box.bottom, 230);
        EXPECT_GT(cell.box.Width(), 20);
        EXPECT_EQ(cell.day == 14, cell.today);
        EXPECT_FALSE(cell.holiday) << "no federal holiday in March";
    }
    EXPECT_GT(layout.dayTextHeight, 5);
    EXPECT_LT(layout.dayTextHeight, layout.days[0].box.Height());

    request.rect = Box{0, 0, 5, 5};
    EXPECT_EQ(kErrBadArgument, LayoutCalendar(request, layout));
    request.rect = Box{0, 0, 200, 200};
    request.month = 13;
    EXPECT_EQ(kErrBadArgument, LayoutCalendar(request, layout));
}

TEST(CalendarDrawing, ChangesOnlyTheRectangleAndClipsToThePicture) {
    const Image background = Pattern(200, 150);
    const Box rects[] = {Box{20, 30, 170, 140}, Box{-60, -40, 90, 85}, Box{120, 100, 270, 225}};
    for (const Box& rect : rects) {
        for (bool transparent : {false, true}) {
            Image image = background;
            CalendarRequest request;
            request.month = 7; request.day = 4; request.year = 2025;
            request.rect = rect;
            request.gridLines = true; request.usHolidays = true; request.transparent = transparent;
            ASSERT_EQ(kOk, DrawCalendar(image, request, BlockText));
            int changedInside = 0, insideCount = 0;
            for (int32_t y = 0; y < image.height; ++y)
                for (int32_t x = 0; x < image.width; ++x) {
                    const bool inside = x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
                    const bool changed = PixelAt(image, x, y) != PixelAt(background, x, y);
                    if (!inside) ASSERT_FALSE(changed) << x << "," << y;
                    else { ++insideCount; changedInside += changed; }
                }
            if (transparent) {
                EXPECT_GT(changedInside, insideCount / 20);
                EXPECT_LT(changedInside, insideCount * 9 / 10) << "a transparent calendar keeps the picture";
            } else {
                EXPECT_GT(changedInside, insideCount * 95 / 100) << "an opaque calendar has a panel";
            }
        }
    }
    Image untouched = background;
    CalendarRequest outside;
    outside.month = 1; outside.year = 2025; outside.rect = Box{300, 300, 500, 450};
    EXPECT_EQ(kOk, DrawCalendar(untouched, outside, BlockText));
    EXPECT_TRUE(SamePixels(background, untouched));
}

TEST(CalendarDrawing, TodayAndHolidaysLookDifferentFromOtherDays) {
    Image image = Flat(300, 300, Rgb{90, 120, 150});
    CalendarRequest request;
    request.month = 12; request.day = 10; request.year = 2025;
    request.rect = Box{0, 0, 300, 300};
    request.usHolidays = true;
    ASSERT_EQ(kOk, DrawCalendar(image, request, nullptr));  // without text: only the marks
    CalendarLayout layout;
    ASSERT_EQ(kOk, LayoutCalendar(request, layout));
    auto centre = [&](int day) {
        const Box& b = layout.days[size_t(day - 1)].box;
        return PixelAt(image, (b.left + b.right) / 2, (b.top + b.bottom) / 2);
    };
    EXPECT_NE(centre(9), centre(10));   // today
    EXPECT_NE(centre(9), centre(25));   // Christmas
    EXPECT_NE(centre(10), centre(25));
    EXPECT_EQ(centre(9), centre(11));
}
