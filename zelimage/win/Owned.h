// The library's own owners for the few Windows handles it holds: a file, a
// GDI object, a memory device context, and the select and screen-DC pairs.
#pragma once

#include <windows.h>

#include <utility>

namespace zel {

// Move-only owner; Traits gives the handle type, its "none" and its closing.
template <class Traits>
class Owned {
public:
    using H = typename Traits::Handle;

    Owned() noexcept = default;
    explicit Owned(H handle) noexcept : handle_(handle) {}
    ~Owned() { reset(); }
    Owned(Owned&& other) noexcept : handle_(std::exchange(other.handle_, Traits::None())) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) reset(std::exchange(other.handle_, Traits::None()));
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;

    H get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != Traits::None() && handle_ != nullptr; }
    void reset(H handle = Traits::None()) noexcept {
        if (*this) Traits::Close(handle_);
        handle_ = handle;
    }

private:
    H handle_ = Traits::None();
};

struct FileTraits {
    using Handle = HANDLE;
    static HANDLE None() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE file) noexcept { CloseHandle(file); }
};

template <class H>
struct GdiObjectTraits {
    using Handle = H;
    static H None() noexcept { return nullptr; }
    static void Close(H object) noexcept { DeleteObject(object); }
};

struct MemoryDCTraits {
    using Handle = HDC;
    static HDC None() noexcept { return nullptr; }
    static void Close(HDC dc) noexcept { DeleteDC(dc); }
};

using FileHandle = Owned<FileTraits>;
using BitmapHandle = Owned<GdiObjectTraits<HBITMAP>>;
using FontHandle = Owned<GdiObjectTraits<HFONT>>;
using MemoryDCHandle = Owned<MemoryDCTraits>;

class ScopedSelectObject {
public:
    ScopedSelectObject(HDC dc, HGDIOBJ object) noexcept : dc_(dc), old_(SelectObject(dc, object)) {}
    ~ScopedSelectObject() { if (old_ && old_ != HGDI_ERROR) SelectObject(dc_, old_); }
    ScopedSelectObject(const ScopedSelectObject&) = delete;
    ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;
private:
    HDC dc_;
    HGDIOBJ old_;
};

class ScopedGetDC {
public:
    explicit ScopedGetDC(HWND window) noexcept : window_(window), dc_(GetDC(window)) {}
    ~ScopedGetDC() { if (dc_) ReleaseDC(window_, dc_); }
    ScopedGetDC(const ScopedGetDC&) = delete;
    ScopedGetDC& operator=(const ScopedGetDC&) = delete;
    HDC get() const noexcept { return dc_; }
private:
    HWND window_;
    HDC dc_;
};

}  // namespace zel
