// The composition worker: turns one opened picture into "vistals.bmp" and
// makes it the wallpaper, on a thread of its own.
#pragma once

#include "settings/Settings.h"
#include "wallpaper/CodecImage.h"
#include "wallpaper/Composition.h"
#include "framework/Handle.h"
#include "ImageLibrary.h"

#include <atomic>
#include <mutex>
#include <string>

// The screen as the device context reports it now.
PixelSize CurrentScreenSize();
int32_t CurrentScreenDepth();  // PLANES x BITSPIXEL

// What one run needs besides the picture: copies made on the main thread,
// so the worker reads nothing that the main thread may change or free.
struct CompositionJob {
    ImageLibrary* library = nullptr;
    FormatInfo writer{};          // the BMP writer's format record
    std::string outputPath;       // where "vistals.bmp" goes
    SettingsRecord settings;      // one snapshot for the whole run
    HWND owner = nullptr;         // owner of error boxes (may be null)
    // The screen's size and colour depth, asked afresh by each step that
    // needs them; a test stands in for the display here.
    PixelSize (*screenSize)() = CurrentScreenSize;
    int32_t (*screenDepth)() = CurrentScreenDepth;
    // Set when the program ends: a run that has not begun writing then
    // stops without writing (may be null).
    const std::atomic<bool>* stopped = nullptr;
};

// Runs every step for `image`. True when the new wallpaper is in place.
// Errors are shown in a warning box owned by `owner`.
bool ComposeWallpaperRun(CodecImage image, const CompositionJob& job);

// Keeps changes apart: one worker thread at a time. A picture handed in
// while a worker runs waits and is composed next; a newer one replaces it.
class CompositionQueue {
public:
    CompositionQueue() = default;
    CompositionQueue(const CompositionQueue&) = delete;
    CompositionQueue& operator=(const CompositionQueue&) = delete;

    // The window told with `message` after each change that succeeded; null
    // stops the notices. A window also ends a Shutdown's refusal of changes.
    void SetNotifyWindow(HWND window, UINT message);
    // Composes the opened `image`, now or after the change that runs.
    void Submit(CodecImage image);
    // Drops a waiting picture, refuses new ones, tells a running change not
    // to begin writing, stops the notices and waits (pumping sent
    // messages, so a worker's message box can still be shown) until the
    // worker has finished; false when it still runs after `timeoutMs`.
    bool Shutdown(DWORD timeoutMs);
    bool IsIdle();

    // The worker thread's loop: composes `image`, made by the library of
    // the run being started, then whatever waits.
    void RunUntilEmpty(ImageHandle image) noexcept;

private:
    // Reads the process's library, format table, settings and program path.
    CompositionJob MakeJob();
    void Notify();
    void FreeWaiting();

    std::mutex lock_;
    std::atomic<bool> stopping_{false};
    bool running_ = false;
    CompositionJob runJob_;       // for the run being started
    CodecImage waiting_;
    CompositionJob waitingJob_;
    HWND notify_ = nullptr;
    UINT notifyMessage_ = 0;
    KernelHandle thread_;
};

// The process's queue, used by the main frame. Global destructors leave it
// alone: a worker still running at exit goes on using it until the process
// stops that thread.
extern CompositionQueue& TheCompositionQueue;

// The thread procedure of one change: composes `image` (an ImageHandle)
// through the process's queue. Nothing thrown leaves it: a run that throws is
// a failed change.
unsigned __stdcall ComposeWallpaper(void* image);
