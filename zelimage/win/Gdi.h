// The library's GDI edge: anti-aliased text for the calendar, painting a
// picture on a device context, the display's colour depth.
#pragma once

#include "../core/Calendar.h"

#include <windows.h>

namespace zel {

TextMask RenderText(const std::string& text, int32_t pixelHeight, bool bold);

// Stretches `source` (picture coordinates) into `target` (device coordinates).
Status PaintImage(const Image& image, HDC dc, const RECT& target, const RECT& source);

// Colours the screen shows: 2^(planes x bits per pixel), 2^24 at most.
uint32_t DisplayColorCount();

}  // namespace zel
