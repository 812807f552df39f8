// The interface of ZELIMAGE.DLL, shared by the program and the library.
//
// The library's export ordinal 1 takes no arguments and returns the one
// ImageLibrary object of the process (or null). Every operation is safe to
// call from several threads at once; a new image never changes its source.
#pragma once

#include <windows.h>
#include <stdint.h>

// Opaque image handle; 0 is "no image".
typedef uint32_t ImageHandle;

// 16-bit result of every operation; 0 is success.
typedef uint16_t ImageStatus;

enum : ImageStatus {
    IMAGE_OK = 0,
    IMAGE_ERR_OPEN = 1,           // the file could not be opened or read
    IMAGE_ERR_DAMAGED = 2,        // the picture is damaged or truncated
    IMAGE_ERR_UNSUPPORTED = 3,    // no decoder knows the format
    IMAGE_ERR_NO_MEMORY = 4,      // not enough memory for the picture
    IMAGE_ERR_BAD_SIZE = 5,       // width or height is zero, negative or absurd
    IMAGE_ERR_WRITE = 6,          // the output file could not be written
    IMAGE_NOTHING_TO_DO = 7,      // nothing to reduce; an unchanged copy was made
    IMAGE_ERR_BAD_HANDLE = 8,     // the handle names no live image
    IMAGE_ERR_BAD_ARGUMENT = 9,   // an argument is out of range
    IMAGE_ERR_NOT_DECODED = 10,   // pixels asked for before ReadImage
    IMAGE_ERR_NO_WRITER = 11,     // the format cannot be written
};

// Size record filled by GetImageInfo: width at byte 4, height at byte 8.
struct ImageInfo {
    int32_t structSize;     // sizeof(ImageInfo)
    int32_t width;
    int32_t height;
    int32_t bitsPerPixel;   // of the decoded pixels (or of the file before ReadImage)
    int32_t colorCount;     // distinct colours the image may hold (2^bits, capped)
    int32_t formatIndex;    // index into the format table, -1 for created images
};
static_assert(offsetof(ImageInfo, width) == 4, "width at byte 4");
static_assert(offsetof(ImageInfo, height) == 8, "height at byte 8");

// One format of the library's table: 232 bytes.
struct FormatInfo {
    char tag[96];          // short tag, e.g. "BMP", "JPEG"
    char description[64];  // e.g. "Windows Bitmap (*.bmp;*.dib)"
    char patterns[64];     // ";"-separated, e.g. "*.bmp;*.dib"
    int32_t readable;      // non-zero: the library decodes it
    int32_t writable;      // non-zero: the library writes it
};
static_assert(sizeof(FormatInfo) == 232, "FormatInfo is 232 bytes");
static_assert(offsetof(FormatInfo, readable) == 224, "readable at 224");
static_assert(offsetof(FormatInfo, writable) == 228, "writable at 228");

// Resize modes and colour reduction methods.
enum { RESIZE_REDUCE = 1, RESIZE_ENLARGE = 2 };
enum { REDUCE_FIXED_PALETTE = 0, REDUCE_OPTIMIZED_DIFFUSED = 2 };
// Write option 1 with the values {2, 0}: the program's standard BMP output.
enum { WRITE_OPTION_STANDARD = 1 };

// The library object. The order of the virtual operations is part of the
// binary interface: append, never reorder.
class ImageLibrary {
public:
    virtual void __stdcall CloseSource(ImageHandle image) = 0;
    virtual void __stdcall FreeImage(ImageHandle image) = 0;
    virtual ImageStatus __stdcall CheckImage(ImageHandle image) = 0;
    virtual ImageStatus __stdcall PasteImage(ImageHandle source, ImageHandle destination,
                                             const RECT* rect, int32_t reserved1, int32_t reserved2) = 0;
    virtual ImageStatus __stdcall DrawImage(ImageHandle image, HDC dc, const RECT* target,
                                            const RECT* source, int32_t reserved1, int32_t reserved2) = 0;
    virtual ImageStatus __stdcall GetErrorText(ImageHandle image, ImageStatus status,
                                               char* buffer, int32_t size) = 0;
    virtual ImageStatus __stdcall GetFormatInfo(int32_t index, FormatInfo* info) = 0;
    virtual int16_t __stdcall GetFormatCount() = 0;
    virtual ImageStatus __stdcall BeginWrite(const char* path, ImageHandle image,
                                             const FormatInfo* writer) = 0;
    virtual ImageStatus __stdcall OpenImage(const char* path, ImageHandle* image,
                                            int32_t* reserved) = 0;
    virtual ImageStatus __stdcall ReadImage(ImageHandle image) = 0;
    virtual ImageStatus __stdcall SetWriteOption(ImageHandle image, int32_t option,
                                                 const int32_t* values) = 0;
    virtual ImageStatus __stdcall WriteImage(ImageHandle image) = 0;
    virtual ImageStatus __stdcall GetImageInfo(ImageHandle image, ImageInfo* info) = 0;
    virtual ImageStatus __stdcall GetDepthFlag(ImageHandle image, int32_t* flag) = 0;
    virtual ImageStatus __stdcall ReduceColors(ImageHandle image, ImageHandle* result,
                                               int32_t bits, int32_t colors, int32_t method,
                                               int32_t reserved1, int32_t reserved2) = 0;
    virtual ImageStatus __stdcall ResizeImage(ImageHandle image, ImageHandle* result,
                                              int32_t width, int32_t height, int32_t mode) = 0;
    virtual ImageHandle __stdcall CreateImage(int32_t width, int32_t height, int32_t bits,
                                              int32_t reserved) = 0;
    virtual ImageStatus __stdcall DrawCalendar(ImageHandle image, int32_t month, int32_t day,
                                               int32_t year, const RECT* rect, BOOL gridLines,
                                               BOOL usHolidays, BOOL transparentBackground) = 0;
};

// Export ordinal 1.
typedef ImageLibrary* (__stdcall* GetImageLibraryProc)();
