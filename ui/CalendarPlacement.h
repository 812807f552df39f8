// Where the calendar goes on the screen, whether it fits, and where its box
// goes in the Calendar page's preview. Pure arithmetic, in 64 bits so that
// any stored value (a negative margin shown as a large unsigned number) is
// safe to combine.
#pragma once

#include <windows.h>

#include <stdint.h>

struct CalendarOnScreen {
    int64_t left, top, right, bottom;
};

// The calendar's rectangle on a screen of sw x sh pixels for the positions
// 1 (center) to 5 (lower right); false for any other position.
bool PlaceCalendarOnScreen(int32_t position, int32_t width, int32_t height, int32_t marginX,
                           int32_t marginY, int32_t sw, int32_t sh, CalendarOnScreen* rect);

// The first check a calendar fails before it can be stored.
enum class CalendarProblem { None, Width, Height, MarginX, MarginY };
CalendarProblem CheckCalendar(int32_t position, int32_t width, int32_t height, int32_t marginX,
                              int32_t marginY, int32_t sw, int32_t sh);

// The calendar's box inside `preview` (a picture of the whole screen).
RECT PreviewCalendarBox(const CalendarOnScreen& rect, int32_t sw, int32_t sh, const RECT& preview);

// A calendar edit's number: the text as an integer, where the unsigned
// 32-bit form of a negative value reads back as that value, larger numbers
// stop at the 32-bit limits, and text that is not a number reads as 0.
int32_t CalendarNumberFromText(const char* text);
