// Small BMP files for tests: written and read without the codec library, so
// the library's own results can be checked against them.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

// A 24-bit bottom-up BMP of one colour.
bool WriteSolidBmp(const std::string& path, int width, int height, COLORREF color);
// The same with the colour of each pixel given, (0, 0) being the top left.
bool WriteBmp(const std::string& path, int width, int height, const std::function<COLORREF(int x, int y)>& colorAt);

// True when the file is a BMP whose header, sizes and length agree, that is
// a whole picture; otherwise `why` (may be null) says what is wrong.
bool IsCompleteBmp(const std::string& path, std::string* why);

// Each channel of `a` within `tolerance` of `b`'s.
bool ColorsNear(COLORREF a, COLORREF b, int tolerance);

// Reads a 24- or 32-bit uncompressed BMP (either row order).
class BmpPixels {
public:
    bool Load(const std::string& path);
    int Width() const { return width_; }
    int Height() const { return height_; }
    COLORREF At(int x, int y) const;

private:
    std::string bytes_;
    int width_ = 0, height_ = 0, bitsPerPixel_ = 0;
    bool topDown_ = false;
    size_t offset_ = 0, stride_ = 0;
};

// Waits until the BMP at `path` can be read and shows `colour` at its centre
// (as the wallpaper file does once a change of a solid picture is in place).
bool WaitForCentreColour(const std::string& path, COLORREF colour);
