// The composition worker: turns one opened picture into "vistals.bmp" and
// makes it the wallpaper, on a thread of its own.
#pragma once

#include "settings/Settings.h"
#include "wallpaper/CodecImage.h"
#include "wallpaper/Composition.h"
#include "wallpaper/Monitors.h"
#include "framework/Handle.h"
#include "ImageLibrary.h"

#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

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
    // The monitors, the primary first, and how Windows lays one bitmap
    // over them; asked once when a change begins.
    std::vector<RECT> (*monitors)() = CurrentMonitors;
    CanvasStyle (*canvasStyle)() = CurrentCanvasStyle;
    // Set when the program ends: a run that has not begun writing then
    // stops without writing (may be null).
    const std::atomic<bool>* stopped = nullptr;
};

// One picture of a change: its path and the image opened from it, or none
// for a picture the worker opens itself.
struct ScreenPicture {
    std::string path;
    CodecImage image;
};

// Opens the picture at `path` as a change does; when that fails, says why in
// a box owned by `owner` with the path as its caption, and gives none.
CodecImage OpenPicture(ImageLibrary& library, const char* path, HWND owner);

// Runs every step for `image` on one screen. True when the new wallpaper is
// in place. Errors are shown in a warning box owned by `owner`.
bool ComposeWallpaperRun(CodecImage image, const CompositionJob& job);

// One change. With the per-screen option on and more than one monitor, each
// monitor shows its own picture (`pictures` in the order of the monitors,
// starting again from the first when there are fewer) on one bitmap over
// all monitors; otherwise the first picture goes on the screen as it always
// did.
bool ComposeChangeRun(std::vector<ScreenPicture> pictures, const CompositionJob& job);

// The wParam of the change notice after a recomposition for a new display
// (a change gives 0).
constexpr WPARAM kRecomposedNotice = 1;

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
    // A change, with the pictures' opened images. The first picture is the
    // primary monitor's.
    void Submit(std::vector<ScreenPicture> pictures);
    // The display changed: composes the pictures on show again, for the
    // display as it is then, without a new picture. After a running change
    // it composes that change's pictures if it succeeds. Nothing when a
    // change waits (it meets the new display anyway) or when the desktop
    // shows a wallpaper other than ours.
    void Recompose();
    // The paths of the pictures on show, the primary monitor's first: those
    // of the last change or recomposition that was put in place.
    std::vector<std::string> PicturesOnShow();
    // Drops a waiting picture, refuses new ones, tells a running change not
    // to begin writing, stops the notices and waits (pumping sent
    // messages, so a worker's message box can still be shown) until the
    // worker has finished; false when it still runs after `timeoutMs`.
    bool Shutdown(DWORD timeoutMs);
    bool IsIdle();

    // The worker thread's loop: the work being started, then whatever waits.
    void RunUntilEmpty() noexcept;

private:
    struct Work {
        CompositionJob job;
        std::vector<ScreenPicture> pictures;  // a recomposition takes those on show when it begins
        bool recompose = false;
    };

    // Reads the process's library, format table, settings and program path.
    CompositionJob MakeJob();
    // Under the lock: starts a worker on `work`, or drops it.
    void Start(Work work);
    void FreeWaiting();
    bool DesktopShowsOurs(const std::string& outputPath) const;

    std::mutex lock_;
    std::atomic<bool> stopping_{false};
    bool running_ = false;
    Work runWork_;                 // for the run being started
    std::optional<Work> waiting_;
    std::vector<std::string> shown_;
    HWND notify_ = nullptr;
    UINT notifyMessage_ = 0;
    KernelHandle thread_;
};

// The process's queue, used by the main frame. Global destructors leave it
// alone: a worker still running at exit goes on using it until the process
// stops that thread.
extern CompositionQueue& TheCompositionQueue;

// The thread procedure of the process's queue: composes the change it was
// started for and those that wait behind it. Nothing thrown leaves it: a run
// that throws is a failed change.
unsigned __stdcall ComposeWallpaper(void*);
