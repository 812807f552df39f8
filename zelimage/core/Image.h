// The decoded picture: top-down rows, either 24-bit BGR or one palette
// index per pixel. Plain C++ so the pixel code also builds natively.
#pragma once

#include "Status.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace zel {

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
    bool operator!=(const Rgb& o) const { return !(*this == o); }
};

// Largest picture we accept: each side at most 65535 and the 24-bit
// pixels at most 1 GiB, which a 32-bit process may still fail to find.
constexpr int32_t kMaxSide = 65535;
constexpr uint64_t kMaxPixelBytes = uint64_t(1) << 30;

// Why a size is refused, before any allocation is tried.
Status CheckImageSize(int64_t width, int64_t height);

// Leaves the elements that resize() adds uninitialised, so that a picture
// about to be overwritten whole is not zeroed first; assign() still fills.
template <class T>
struct UninitialisedAllocator : std::allocator<T> {
    template <class U>
    struct rebind {
        using other = UninitialisedAllocator<U>;
    };
    UninitialisedAllocator() = default;
    template <class U>
    UninitialisedAllocator(const UninitialisedAllocator<U>&) noexcept {}
    template <class U>
    void construct(U* p) noexcept {
        ::new (static_cast<void*>(p)) U;
    }
    template <class U, class... Args>
    void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

using PixelBuffer = std::vector<uint8_t, UninitialisedAllocator<uint8_t>>;

struct Image {
    int32_t width = 0;
    int32_t height = 0;
    // 24 for BGR pixels; 1, 4 or 8 for palette indices (one byte each);
    // 16 for BGR pixels whose channels hold only 5 significant bits.
    int32_t bits = 24;
    PixelBuffer pixels;
    std::vector<Rgb> palette;

    bool IsIndexed() const { return bits <= 8; }
    size_t BytesPerPixel() const { return IsIndexed() ? 1 : 3; }
    size_t Stride() const { return size_t(width) * BytesPerPixel(); }
    uint8_t* Row(int32_t y) { return pixels.data() + size_t(y) * Stride(); }
    const uint8_t* Row(int32_t y) const { return pixels.data() + size_t(y) * Stride(); }
    bool Empty() const { return width <= 0 || height <= 0; }
};

// Sizes and allocates a blank (black) picture; bad sizes and missing
// memory come back as a status instead of an exception.
Status AllocateImage(Image& image, int32_t width, int32_t height, int32_t bits);

// The same for a picture whose every pixel the caller is about to write:
// the pixels start undefined (the palette still starts black).
Status AllocateImageForOverwrite(Image& image, int32_t width, int32_t height, int32_t bits);

// A 24-bit copy of any picture (palette pictures expanded).
Status ToTrueColor(const Image& source, Image& out);

// Number of colours the picture can show: palette size, 2^15 or 2^24.
uint32_t ColorCapacity(const Image& image);

// Rotates or mirrors by EXIF orientation 1..8 so that the photo stands upright.
Status ApplyOrientation(Image& image, int orientation);

}  // namespace zel
