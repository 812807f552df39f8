// The library's format table: the built-in decoders first, the BMP writer
// among them, then every further decoder the system's WIC offers.
#pragma once

#include "../codecs/Decoders.h"
#include "ImageLibrary.h"

#include <vector>

namespace zel {

enum BuiltInFormat { kFormatBmp = 0, kFormatJpeg = 1, kFormatPng = 2, kFormatGif = 3 };

// Built once, on first use (never inside DllMain, which must not start COM).
const std::vector<FormatInfo>& Formats();

int FormatIndexOf(FileKind kind);
// Index of a WIC container in the table, or -1.
int FormatIndexOf(const GUID& container);

// A writer record names the BMP writer when it is writable and its tag
// begins with "BMP".
bool IsBmpWriter(const FormatInfo& writer);

}  // namespace zel
