// One wallpaper change as the program makes it, timed from inside: the
// picture opened, then the worker's whole run (decode, fit to the screen,
// calendar, colours, the write of "vistals.bmp" in the program's folder and
// its registration).
//   vistals_run_bench PROGRAM_FOLDER PICTURE CALENDAR(0|1) [two-monitors]
// prints "<milliseconds> <peak working set in KiB> <width> <height>" with the
// size of the file written. With "two-monitors" the picture goes on each of
// two monitors, a 2560x1440 primary and a portrait 1080x1920 left of it, as
// one bitmap over both laid out for this Windows.
// The display and the fonts are warmed up first, as in the resident program.
#include "settings/Settings.h"
#include "wallpaper/CodecBinding.h"
#include "wallpaper/Composition.h"
#include "wallpaper/WallpaperWorker.h"

#include <psapi.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

double Now() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return double(counter.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

void WarmUpDisplayAndFonts() {
    ScopedGetDC screen(nullptr);
    GetDeviceCaps(screen.get(), BITSPIXEL);
    MemoryDCHandle dc(CreateCompatibleDC(nullptr));
    FontHandle font(CreateFontA(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_TT_PRECIS,
                                CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, VARIABLE_PITCH | FF_SWISS, "Tahoma"));
    ScopedSelectObject select(dc.get(), font.get());
    SIZE extent;
    GetTextExtentPoint32A(dc.get(), "July 2026", 9, &extent);
}

// "<width> <height>" of the BMP file at `path`.
std::string WrittenSize(const std::string& path) {
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    BITMAPFILEHEADER header{};
    BITMAPINFOHEADER info{};
    DWORD read = 0;
    if (!file || !ReadFile(file.get(), &header, sizeof header, &read, nullptr) ||
        !ReadFile(file.get(), &info, sizeof info, &read, nullptr))
        return "0 0";
    return std::to_string(info.biWidth) + " " + std::to_string(info.biHeight < 0 ? -info.biHeight : info.biHeight);
}

std::vector<RECT> TwoMonitors() { return {{0, 0, 2560, 1440}, {-1080, 0, 0, 1920}}; }

}  // namespace

int main(int argc, char** argv) {
    const bool twoMonitors = argc == 5 && std::string(argv[4]) == "two-monitors";
    if (argc != 4 && !twoMonitors) {
        std::fprintf(stderr, "usage: vistals_run_bench PROGRAM_FOLDER PICTURE CALENDAR [two-monitors]\n");
        return 2;
    }
    const std::string folder = argv[1];
    // Binding reports its failures in message boxes; nobody would close them here.
    if (GetFileAttributesA(CodecLibraryPath(folder + "\\Vistals.exe").c_str()) == INVALID_FILE_ATTRIBUTES) {
        std::fprintf(stderr, "no codec library below %s\n", folder.c_str());
        return 1;
    }
    BindImageLibraryAt(folder);
    if (!TheImageLibrary || BmpFormatIndex < 0) return 1;

    CompositionJob job;
    job.library = TheImageLibrary;
    job.writer = FormatTable[static_cast<size_t>(BmpFormatIndex)];
    job.outputPath = WallpaperOutputPath(folder + "\\Vistals.exe");
    job.settings.VistalPosition = POSITION_FIT_DESKTOP;
    job.settings.CalendarPosition = argv[3][0] == '1' ? 5 : 0;
    if (twoMonitors) job.monitors = TwoMonitors;
    WarmUpDisplayAndFonts();

    const double start = Now();
    std::vector<ScreenPicture> pictures;
    for (size_t i = 0; i < job.monitors().size(); ++i) {
        pictures.push_back({argv[2], CodecImage(TheImageLibrary, 0)});
        int32_t reserved = 0;
        if (TheImageLibrary->OpenImage(argv[2], pictures.back().image.put(), &reserved) != IMAGE_OK) {
            std::fprintf(stderr, "cannot open %s\n", argv[2]);
            return 1;
        }
    }
    if (!ComposeChangeRun(std::move(pictures), job)) return 1;
    const double elapsed = Now() - start;

    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
    std::printf("%.1f %lu %s\n", elapsed, static_cast<unsigned long>(memory.PeakWorkingSetSize / 1024),
                WrittenSize(job.outputPath).c_str());
    return 0;
}
