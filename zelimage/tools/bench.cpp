// One run of the wallpaper chain through ZELIMAGE.DLL, timed from inside:
//   zelimage_bench DLL PICTURE WIDTH HEIGHT OUTPUT.BMP CALENDAR(0|1)
// prints "<milliseconds> <peak working set in KiB>". The display and the
// fonts are warmed up first, as in the resident program.
#include "ImageLibrary.h"

#include <psapi.h>

#include <cstdio>
#include <cstdlib>

namespace {

double Now() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return double(counter.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

int Fail(ImageLibrary* lib, ImageHandle image, ImageStatus status, const char* step) {
    char text[256] = {};
    if (lib) lib->GetErrorText(image, status, text, sizeof text);
    std::fprintf(stderr, "%s failed (%u): %s\n", step, unsigned(status), text);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 7) {
        std::fprintf(stderr, "usage: zelimage_bench DLL PICTURE WIDTH HEIGHT OUTPUT.BMP CALENDAR\n");
        return 2;
    }
    HMODULE module = LoadLibraryA(argv[1]);
    if (!module) return Fail(nullptr, 0, 0, "LoadLibrary");
    auto entry = reinterpret_cast<GetImageLibraryProc>(reinterpret_cast<void (*)()>(GetProcAddress(module, MAKEINTRESOURCEA(1))));
    ImageLibrary* lib = entry ? entry() : nullptr;
    if (!lib) return Fail(nullptr, 0, 0, "entry point");
    const int32_t width = std::atoi(argv[3]), height = std::atoi(argv[4]);
    FormatInfo writer;
    lib->GetFormatInfo(0, &writer);
    // The program is resident: its display and fonts are in use long before a
    // change. Wine pays a first-use price for both in every new process, so
    // they are touched here, outside the timing.
    HDC screen = GetDC(nullptr);
    GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT font = CreateFontA(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                             ANTIALIASED_QUALITY, VARIABLE_PITCH | FF_SWISS, "Tahoma");
    HGDIOBJ oldFont = SelectObject(dc, font);
    SIZE extent;
    GetTextExtentPoint32A(dc, "July 2026", 9, &extent);
    SelectObject(dc, oldFont);
    DeleteObject(font);
    DeleteDC(dc);

    const double start = Now();
    ImageHandle image = 0;
    int32_t ignored = 0;
    ImageStatus status = lib->OpenImage(argv[2], &image, &ignored);
    if (status) return Fail(lib, image, status, "OpenImage");
    const double openedFile = Now();
    if ((status = lib->ReadImage(image))) return Fail(lib, image, status, "ReadImage");
    lib->CloseSource(image);
    ImageInfo info = {};
    lib->GetImageInfo(image, &info);
    const double opened = Now();
    if (info.width != width || info.height != height) {
        ImageHandle resized = 0;
        const int mode = width > info.width && height > info.height ? RESIZE_ENLARGE : RESIZE_REDUCE;
        if ((status = lib->ResizeImage(image, &resized, width, height, mode))) return Fail(lib, image, status, "ResizeImage");
        lib->FreeImage(image);
        image = resized;
    }
    const double resizedAt = Now();
    if (argv[6][0] == '1') {
        const RECT rect = {width - 30 - 150, height - 30 - 125, width - 30, height - 30};
        lib->DrawCalendar(image, 7, 4, 2026, &rect, TRUE, TRUE, FALSE);
    }
    const double drawn = Now();
    int32_t reduce = 0;
    lib->GetDepthFlag(image, &reduce);
    if (reduce) {
        ImageHandle reduced = 0;
        status = lib->ReduceColors(image, &reduced, 8, 256, 2, 0, 1);
        if (status && status != IMAGE_NOTHING_TO_DO) return Fail(lib, image, status, "ReduceColors");
        lib->FreeImage(image);
        image = reduced;
    }
    if ((status = lib->BeginWrite(argv[5], image, &writer))) return Fail(lib, image, status, "BeginWrite");
    const int32_t standard[2] = {2, 0};
    lib->SetWriteOption(image, WRITE_OPTION_STANDARD, standard);
    if ((status = lib->WriteImage(image))) return Fail(lib, image, status, "WriteImage");
    lib->CloseSource(image);
    lib->FreeImage(image);
    const double elapsed = Now() - start;

    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
    if (std::getenv("ZEL_BENCH_PHASES"))
        std::fprintf(stderr, "open %.1f, read %.1f, resize %.1f, calendar %.1f, reduce+write %.1f ms\n", openedFile - start,
                     opened - openedFile,
                     resizedAt - opened, drawn - resizedAt, Now() - drawn);
    std::printf("%.1f %lu\n", elapsed, static_cast<unsigned long>(memory.PeakWorkingSetSize / 1024));
    return 0;
}
