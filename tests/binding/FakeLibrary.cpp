// Small stand-ins for ZELIMAGE.DLL, one per binding case, chosen by the
// FAKE_* definition they are built with.
#include "ImageLibrary.h"

#include <cstring>

namespace {

struct Record {
    const char* tag;
    const char* description;
    const char* patterns;
    int readable;
    int writable;
    ImageStatus status;
};

#if defined(FAKE_EXAMPLE)
// A and B are the readable formats; a "BMP" that cannot be written does not
// count, a writer that cannot read is not listed, and a failing record is
// left out.
const Record kRecords[] = {
    {"A", "Format A", "a", 1, 0, 0},
    {"BMP", "Not the writer", "b1;b2", 1, 0, 0},
    {"ZZZ", "Fails", "zz", 1, 0, 3},
    {"BMPW", "Writer only", "*.bmpw", 0, 1, 0},
};
const int kCount = 4;
#elif defined(FAKE_NO_FORMATS)
const Record kRecords[] = {{"", "", "", 0, 0, 0}};
const int kCount = 0;
#elif defined(FAKE_FULL_FIELDS)
const int kCount = 12;
#endif

// The full-fields case writes its fields itself.
[[maybe_unused]] void Fill(char* field, size_t size, const char* text) {
    std::memset(field, 0, size);
    std::strncpy(field, text, size - 1);
}

class FakeLibrary : public ImageLibrary {
public:
    void __stdcall CloseSource(ImageHandle) override {}
    void __stdcall FreeImage(ImageHandle) override {}
    ImageStatus __stdcall CheckImage(ImageHandle) override { return 8; }
    ImageStatus __stdcall PasteImage(ImageHandle, ImageHandle, const RECT*, int32_t, int32_t) override { return 8; }
    ImageStatus __stdcall DrawImage(ImageHandle, HDC, const RECT*, const RECT*, int32_t, int32_t) override { return 8; }
    ImageStatus __stdcall GetErrorText(ImageHandle, ImageStatus, char*, int32_t) override { return 9; }
    ImageStatus __stdcall GetFormatInfo(int32_t index, FormatInfo* info) override {
        if (index < 0 || index >= kCount) return 9;
#if defined(FAKE_FULL_FIELDS)
        // Every text field filled to its last byte, without a NUL.
        std::memset(info->tag, 'T', sizeof info->tag);
        std::memset(info->description, 'd', sizeof info->description);
        std::memset(info->patterns, 'p', sizeof info->patterns);
        info->description[0] = char('A' + index);
        info->patterns[0] = char('a' + index);
        info->readable = 1;
        info->writable = 0;
        return 0;
#else
        const Record& r = kRecords[index];
        Fill(info->tag, sizeof info->tag, r.tag);
        Fill(info->description, sizeof info->description, r.description);
        Fill(info->patterns, sizeof info->patterns, r.patterns);
        info->readable = r.readable;
        info->writable = r.writable;
        return r.status;
#endif
    }
    int16_t __stdcall GetFormatCount() override { return kCount; }
    ImageStatus __stdcall BeginWrite(const char*, ImageHandle, const FormatInfo*) override { return 9; }
    ImageStatus __stdcall OpenImage(const char*, ImageHandle*, int32_t*) override { return 1; }
    ImageStatus __stdcall ReadImage(ImageHandle) override { return 8; }
    ImageStatus __stdcall SetWriteOption(ImageHandle, int32_t, const int32_t*) override { return 8; }
    ImageStatus __stdcall WriteImage(ImageHandle) override { return 8; }
    ImageStatus __stdcall GetImageInfo(ImageHandle, ImageInfo*) override { return 8; }
    ImageStatus __stdcall GetDepthFlag(ImageHandle, int32_t*) override { return 8; }
    ImageStatus __stdcall ReduceColors(ImageHandle, ImageHandle*, int32_t, int32_t, int32_t, int32_t, int32_t) override { return 8; }
    ImageStatus __stdcall ResizeImage(ImageHandle, ImageHandle*, int32_t, int32_t, int32_t) override { return 8; }
    ImageHandle __stdcall CreateImage(int32_t, int32_t, int32_t, int32_t) override { return 0; }
    ImageStatus __stdcall DrawCalendar(ImageHandle, int32_t, int32_t, int32_t, const RECT*, BOOL, BOOL, BOOL) override { return 8; }
};

}  // namespace

extern "C" ImageLibrary* __stdcall FakeGetLibrary() {
#if defined(FAKE_RETURNS_NULL)
    return nullptr;
#else
    static FakeLibrary library;
    return &library;
#endif
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
#if defined(FAKE_INIT_FAILS)
    if (reason == DLL_PROCESS_ATTACH) return FALSE;
#endif
    (void)reason;
    return TRUE;
}
