// One owner for every kind of Windows handle: move-only, copying deleted.
//
//     FileHandle file(CreateFileA(...));
//     if (file) ReadFile(file.get(), ...);
#pragma once

#include <windows.h>
#include <utility>

template <class Traits>
class Owned {
public:
    using Handle = typename Traits::Handle;

    Owned() noexcept = default;
    explicit Owned(Handle handle) noexcept : handle_(handle) {}
    ~Owned() { reset(); }

    Owned(Owned&& other) noexcept : handle_(other.release()) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;

    Handle get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return Traits::IsValid(handle_); }

    // Gives up ownership without closing.
    [[nodiscard]] Handle release() noexcept { return std::exchange(handle_, Traits::Invalid()); }

    void reset(Handle handle = Traits::Invalid()) noexcept {
        if (Traits::IsValid(handle_)) Traits::Close(handle_);
        handle_ = handle;
    }

    // For APIs that hand a new handle back through a pointer.
    Handle* put() noexcept { reset(); return &handle_; }

private:
    Handle handle_ = Traits::Invalid();
};

namespace handle_traits {

template <class H>
struct NullIsInvalid {
    using Handle = H;
    static constexpr Handle Invalid() noexcept { return nullptr; }
    static bool IsValid(Handle h) noexcept { return h != nullptr; }
};

struct RegKey : NullIsInvalid<HKEY> {
    static void Close(HKEY h) noexcept { RegCloseKey(h); }
};
struct Menu : NullIsInvalid<HMENU> {
    static void Close(HMENU h) noexcept { ::DestroyMenu(h); }
};
template <class H>
struct GdiObject : NullIsInvalid<H> {
    static void Close(H h) noexcept { DeleteObject(h); }
};
struct Kernel : NullIsInvalid<HANDLE> {
    static void Close(HANDLE h) noexcept { CloseHandle(h); }
};
struct File {
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Handle h) noexcept { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void Close(Handle h) noexcept { CloseHandle(h); }
};
struct FindFile {
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Handle h) noexcept { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void Close(Handle h) noexcept { FindClose(h); }
};
struct Module : NullIsInvalid<HMODULE> {
    static void Close(HMODULE h) noexcept { FreeLibrary(h); }
};
struct Icon : NullIsInvalid<HICON> {
    static void Close(HICON h) noexcept { DestroyIcon(h); }
};
struct MemoryDC : NullIsInvalid<HDC> {
    static void Close(HDC h) noexcept { DeleteDC(h); }
};

}  // namespace handle_traits

using MenuHandle = Owned<handle_traits::Menu>;
using BitmapHandle = Owned<handle_traits::GdiObject<HBITMAP>>;
using FontHandle = Owned<handle_traits::GdiObject<HFONT>>;
using PenHandle = Owned<handle_traits::GdiObject<HPEN>>;
using BrushHandle = Owned<handle_traits::GdiObject<HBRUSH>>;
using PaletteHandle = Owned<handle_traits::GdiObject<HPALETTE>>;
using KernelHandle = Owned<handle_traits::Kernel>;
using FileHandle = Owned<handle_traits::File>;
using FindHandle = Owned<handle_traits::FindFile>;
using ModuleHandle = Owned<handle_traits::Module>;
using IconHandle = Owned<handle_traits::Icon>;
using MemoryDCHandle = Owned<handle_traits::MemoryDC>;

// Scope guards for paired calls.
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

class ScopedSelectPalette {
public:
    ScopedSelectPalette(HDC dc, HPALETTE palette, BOOL background) noexcept
        : dc_(dc), old_(palette ? SelectPalette(dc, palette, background) : nullptr) {}
    ~ScopedSelectPalette() { if (old_) SelectPalette(dc_, old_, TRUE); }
    ScopedSelectPalette(const ScopedSelectPalette&) = delete;
    ScopedSelectPalette& operator=(const ScopedSelectPalette&) = delete;
private:
    HDC dc_;
    HPALETTE old_;
};

// GetDC (or GetWindowDC) and ReleaseDC.
class ScopedGetDC {
public:
    // The client area's context of `window`; the screen's for null.
    explicit ScopedGetDC(HWND window) noexcept : ScopedGetDC(window, GetDC(window)) {}
    // The context of the whole window, frame included.
    static ScopedGetDC WholeWindow(HWND window) noexcept { return ScopedGetDC(window, GetWindowDC(window)); }
    ~ScopedGetDC() { if (dc_) ReleaseDC(window_, dc_); }
    ScopedGetDC(const ScopedGetDC&) = delete;
    ScopedGetDC& operator=(const ScopedGetDC&) = delete;
    HDC get() const noexcept { return dc_; }
private:
    ScopedGetDC(HWND window, HDC dc) noexcept : window_(window), dc_(dc) {}
    HWND window_;
    HDC dc_;
};

// BeginPaint and EndPaint, for a WM_PAINT handler.
class ScopedPaint {
public:
    explicit ScopedPaint(HWND window) noexcept : window_(window), dc_(BeginPaint(window, &paint_)) {}
    ~ScopedPaint() { EndPaint(window_, &paint_); }
    ScopedPaint(const ScopedPaint&) = delete;
    ScopedPaint& operator=(const ScopedPaint&) = delete;
    HDC get() const noexcept { return dc_; }
private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};
