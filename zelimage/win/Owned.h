// The library's own owners for the few Windows handles it holds: a file, a
// GDI object, a memory device context, and the select and screen-DC pairs.
#pragma once

#include <windows.h>

#include <utility>

namespace zel {

// Move-only owner of a handle that is null when there is none.
template <class H, void (*Close)(H)>
class Owned {
public:
    Owned() noexcept = default;
    explicit Owned(H handle) noexcept : handle_(handle) {}
    ~Owned() { reset(); }
    Owned(Owned&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) reset(std::exchange(other.handle_, nullptr));
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;

    H get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != nullptr; }
    void reset(H handle = nullptr) noexcept {
        if (handle_) Close(handle_);
        handle_ = handle;
    }

private:
    H handle_ = nullptr;
};

inline void DeleteMemoryDC(HDC dc) { DeleteDC(dc); }
inline void DeleteBitmap(HBITMAP bitmap) { DeleteObject(bitmap); }
inline void DeleteFont(HFONT font) { DeleteObject(font); }

// A file is "none" as INVALID_HANDLE_VALUE, which fits no template argument.
class FileHandle {
public:
    FileHandle() noexcept = default;
    explicit FileHandle(HANDLE file) noexcept : file_(file) {}
    ~FileHandle() { reset(); }
    FileHandle(FileHandle&& other) noexcept : file_(std::exchange(other.file_, INVALID_HANDLE_VALUE)) {}
    FileHandle& operator=(FileHandle&& other) noexcept {
        if (this != &other) reset(std::exchange(other.file_, INVALID_HANDLE_VALUE));
        return *this;
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    HANDLE get() const noexcept { return file_; }
    explicit operator bool() const noexcept { return file_ != INVALID_HANDLE_VALUE && file_ != nullptr; }
    void reset(HANDLE file = INVALID_HANDLE_VALUE) noexcept {
        if (*this) CloseHandle(file_);
        file_ = file;
    }

private:
    HANDLE file_ = INVALID_HANDLE_VALUE;
};

using BitmapHandle = Owned<HBITMAP, DeleteBitmap>;
using FontHandle = Owned<HFONT, DeleteFont>;
using MemoryDCHandle = Owned<HDC, DeleteMemoryDC>;

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
