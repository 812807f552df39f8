#include "Formats.h"

#include "Wic.h"

#include <cstring>
#include <mutex>

namespace zel {

namespace {

struct Table {
    std::vector<FormatInfo> records;
    std::vector<GUID> containers;  // parallel to records; GUID{} for built-ins
};

void CopyText(char* field, size_t size, const std::string& text) {
    std::memset(field, 0, size);
    std::memcpy(field, text.c_str(), std::min(text.size(), size - 1));
}

FormatInfo Record(const std::string& tag, const std::string& description, const std::string& patterns,
                  bool writable) {
    FormatInfo info;
    std::memset(&info, 0, sizeof info);
    CopyText(info.tag, sizeof info.tag, tag);
    CopyText(info.description, sizeof info.description, description);
    CopyText(info.patterns, sizeof info.patterns, patterns);
    info.readable = 1;
    info.writable = writable ? 1 : 0;
    return info;
}

Table BuildTable() {
    Table table;
    table.records = {
        Record("BMP", "Windows Bitmap (*.bmp;*.dib;*.rle)", "*.bmp;*.dib;*.rle", true),
        Record("JPEG", "JPEG (*.jpg;*.jpeg;*.jpe;*.jfif)", "*.jpg;*.jpeg;*.jpe;*.jfif", false),
        Record("PNG", "Portable Network Graphics (*.png)", "*.png", false),
        Record("GIF", "CompuServe GIF (*.gif)", "*.gif", false),
    };
    table.containers.assign(table.records.size(), GUID{});
    for (const WicFormat& wic : EnumerateWicDecoders()) {
        // Patterns that do not fit the record would be cut mid-word.
        if (wic.patterns.size() >= sizeof(FormatInfo::patterns)) continue;
        table.records.push_back(Record(wic.tag, wic.description, wic.patterns, false));
        table.containers.push_back(wic.container);
    }
    return table;
}

const Table& TheTable() {
    static std::once_flag once;
    static Table table;
    std::call_once(once, [] { table = BuildTable(); });
    return table;
}

}  // namespace

const std::vector<FormatInfo>& Formats() { return TheTable().records; }

int FormatIndexOf(FileKind kind) {
    switch (kind) {
    case FileKind::kBmp: return kFormatBmp;
    case FileKind::kJpeg: return kFormatJpeg;
    case FileKind::kPng: return kFormatPng;
    case FileKind::kGif: return kFormatGif;
    default: return -1;
    }
}

int FormatIndexOf(const GUID& container) {
    const Table& table = TheTable();
    for (size_t i = 0; i < table.containers.size(); ++i)
        if (IsEqualGUID(table.containers[i], container)) return int(i);
    return -1;
}

bool IsBmpWriter(const FormatInfo& writer) {
    return writer.writable != 0 && std::strncmp(writer.tag, "BMP", 3) == 0;
}

}  // namespace zel
