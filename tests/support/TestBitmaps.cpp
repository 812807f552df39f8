#include "TestBitmaps.h"

#include "TestPaths.h"

#include <cstring>
#include <fstream>
#include <sstream>

bool WriteSolidBmp(const std::string& path, int width, int height, COLORREF color) {
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
    for (int x = 0; x < width; ++x) {
        row[x * 3] = static_cast<char>(GetBValue(color));
        row[x * 3 + 1] = static_cast<char>(GetGValue(color));
        row[x * 3 + 2] = static_cast<char>(GetRValue(color));
    }
    for (int y = 0; y < height; ++y) bytes += row;
    return WriteFileBytes(path, bytes);
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
