// The composition worker: turns one opened picture into "vistals.bmp" and
// makes it the wallpaper, on a thread of its own.
#pragma once

#include "settings/Settings.h"
#include "wallpaper/Composition.h"
#include "framework/Handle.h"
#include "ImageLibrary.h"

#include <mutex>
#include <string>

// The screen as the device context reports it now.
PixelSize CurrentScreenSize();
int32_t CurrentScreenDepth();  // PLANES x BITSPIXEL

// What one run needs besides the picture.
struct CompositionJob {
    ImageLibrary* library;
    const FormatInfo* writer;     // the BMP writer's format record (null: none)
    std::string outputPath;       // where "vistals.bmp" goes
    SettingsRecord settings;      // one snapshot for the whole run
    HWND owner;                   // owner of error boxes (may be null)
    // The screen's size and colour depth, asked afresh by each step that
    // needs them; a test stands in for the display here.
    PixelSize (*screenSize)() = CurrentScreenSize;
    int32_t (*screenDepth)() = CurrentScreenDepth;
};

// Runs every step for `image`, which it owns and frees. True when the new
// wallpaper is in place. Errors are shown in a warning box owned by `owner`.
bool ComposeWallpaperRun(ImageHandle image, const CompositionJob& job);

// Keeps changes apart: one worker thread at a time. A picture handed in
// while a worker runs waits and is composed next; a newer one replaces it.
class CompositionQueue {
public:
    CompositionQueue() = default;
    CompositionQueue(const CompositionQueue&) = delete;
    CompositionQueue& operator=(const CompositionQueue&) = delete;

    // The window told with WM_WALLPAPER_APPLIED; null stops the notices.
    void SetNotifyWindow(HWND window);
    // Takes ownership of the opened `image`.
    void Submit(ImageHandle image);
    // Drops a waiting picture, stops the notices and waits (pumping sent
    // messages, so a worker's message box can still be shown) until the
    // worker has finished; false when it still runs after `timeoutMs`.
    bool Shutdown(DWORD timeoutMs);
    bool IsIdle();

    // The worker thread's loop: composes `image`, then whatever waits.
    void RunUntilEmpty(ImageHandle image);

private:
    CompositionJob MakeJob();
    void Notify();
    void FreeWaiting();

    std::mutex lock_;
    bool running_ = false;
    ImageHandle waiting_ = 0;
    HWND notify_ = nullptr;
    KernelHandle thread_;
};

// The process's queue, used by the main frame.
extern CompositionQueue TheCompositionQueue;

// The thread procedure of one change: composes `image` (an ImageHandle) with
// the process's library, settings and main frame.
unsigned __stdcall ComposeWallpaper(void* image);
