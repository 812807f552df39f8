// The library's GDI edge: anti-aliased text for the calendar, painting a
// picture on a device context, the display's colour depth.
#pragma once

#include "../core/Calendar.h"

#include "Owned.h"

#include <map>
#include <utility>

#include <windows.h>

namespace zel {

// Renders with Tahoma through one memory DC, keeping each size's font for
// the lifetime of the object (one calendar).
class GdiText {
public:
    GdiText();
    TextMask Render(const std::string& text, int32_t pixelHeight, bool bold);

private:
    HFONT FontFor(int32_t pixelHeight, bool bold);

    MemoryDCHandle dc_;
    std::map<std::pair<int32_t, bool>, FontHandle> fonts_;
};

// Stretches `source` (picture coordinates) into `target` (device coordinates).
Status PaintImage(const Image& image, HDC dc, const RECT& target, const RECT& source);

// Colours the screen shows: 2^(planes x bits per pixel), 2^24 at most.
uint32_t DisplayColorCount();

}  // namespace zel
