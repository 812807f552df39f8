#include "TestBitmaps.h"

#include "TestPaths.h"
#include "WaitUntil.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

bool WriteBmp(const std::string& path, int width, int height, const std::function<COLORREF(int x, int y)>& colorAt) {
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t(3);
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = static_cast<DWORD>(file.bfOffBits + stride * height);
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    std::string row(stride, '\0');
    for (int y = height - 1; y >= 0; --y) {  // bottom-up
        for (int x = 0; x < width; ++x) {
            const COLORREF color = colorAt(x, y);
            row[x * 3] = static_cast<char>(GetBValue(color));
            row[x * 3 + 1] = static_cast<char>(GetGValue(color));
            row[x * 3 + 2] = static_cast<char>(GetRValue(color));
        }
        bytes += row;
    }
    return WriteFileBytes(path, bytes);
}

bool WriteSolidBmp(const std::string& path, int width, int height, COLORREF color) {
    return WriteBmp(path, width, height, [color](int, int) { return color; });
}

bool ColorsNear(COLORREF a, COLORREF b, int tolerance) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

bool IsCompleteBmp(const std::string& path, std::string* why) {
    std::string ignored;
    if (!why) why = &ignored;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *why = "missing";
        return false;
    }
    unsigned char header[54] = {};
    DWORD read = 0;
    ReadFile(file, header, sizeof header, &read, nullptr);
    LARGE_INTEGER size{};
    GetFileSizeEx(file, &size);
    CloseHandle(file);
    auto u32 = [&](int at) {
        return header[at] | header[at + 1] << 8 | header[at + 2] << 16 | DWORD(header[at + 3]) << 24;
    };
    const int32_t width = static_cast<int32_t>(u32(18)), height = static_cast<int32_t>(u32(22));
    const int bits = header[28] | header[29] << 8;
    const int64_t stride = (int64_t{width} * bits + 31) / 32 * 4;
    const int64_t needed = int64_t{u32(10)} + stride * (height < 0 ? -int64_t{height} : int64_t{height});
    if (read < sizeof header || header[0] != 'B' || header[1] != 'M')
        *why = "no BMP header";
    else if (u32(2) != size.QuadPart)
        *why = "size " + std::to_string(size.QuadPart) + " but the header says " + std::to_string(u32(2));
    else if (width <= 0 || height == 0 || size.QuadPart < needed)
        *why = "pixels cut short";
    else
        return true;
    return false;
}

bool BmpPixels::Load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream all;
    all << in.rdbuf();
    bytes_ = all.str();
    if (bytes_.size() < sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) || bytes_[0] != 'B' || bytes_[1] != 'M')
        return false;
    BITMAPFILEHEADER file;
    BITMAPINFOHEADER info;
    std::memcpy(&file, bytes_.data(), sizeof file);
    std::memcpy(&info, bytes_.data() + sizeof file, sizeof info);
    if ((info.biBitCount != 24 && info.biBitCount != 32) || info.biCompression != BI_RGB) return false;
    width_ = info.biWidth;
    height_ = info.biHeight < 0 ? -info.biHeight : info.biHeight;
    topDown_ = info.biHeight < 0;
    bitsPerPixel_ = info.biBitCount;
    offset_ = file.bfOffBits;
    stride_ = (static_cast<size_t>(width_) * (bitsPerPixel_ / 8) + 3) & ~size_t(3);
    return bytes_.size() >= offset_ + stride_ * height_;
}

COLORREF BmpPixels::At(int x, int y) const {
    const int row = topDown_ ? y : height_ - 1 - y;
    const size_t at = offset_ + stride_ * row + static_cast<size_t>(x) * (bitsPerPixel_ / 8);
    const auto byte = [&](size_t i) { return static_cast<BYTE>(bytes_[at + i]); };
    return RGB(byte(2), byte(1), byte(0));
}

bool WaitForCentreColour(const std::string& path, COLORREF colour) {
    return WaitUntil([&] {
        BmpPixels pixels;
        return pixels.Load(path) && pixels.At(pixels.Width() / 2, pixels.Height() / 2) == colour;
    });
}
