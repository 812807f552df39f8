#include "WallpaperWorker.h"

#include "framework/Lifetime.h"
#include "framework/RegKey.h"
#include "framework/ModalLoop.h"
#include "framework/WinApp.h"
#include "wallpaper/CodecBinding.h"
#include "wallpaper/Composition.h"
#include "wallpaper/ScreenCanvas.h"
#include "wallpaper/WallpaperRegistration.h"

#include <process.h>

#include <algorithm>
#include <ctime>
#include <utility>
#include <vector>

namespace {
NeverDestroyed<CompositionQueue> processQueue;
}  // namespace

CompositionQueue& TheCompositionQueue = processQueue.get();

PixelSize CurrentScreenSize() {
    ScopedGetDC screen(nullptr);
    return {GetDeviceCaps(screen.get(), HORZRES), GetDeviceCaps(screen.get(), VERTRES)};
}

int32_t CurrentScreenDepth() {
    ScopedGetDC screen(nullptr);
    return GetDeviceCaps(screen.get(), PLANES) * GetDeviceCaps(screen.get(), BITSPIXEL);
}

namespace {

bool SizeOf(const CodecImage& image, PixelSize* size) {
    ImageInfo info{};
    info.structSize = sizeof info;
    if (image.library()->GetImageInfo(image.get(), &info) != IMAGE_OK) return false;
    *size = {info.width, info.height};
    return true;
}

// A step that made a new image continues with it; the old one is freed.
void ContinueWith(CodecImage& image, CodecImage next) {
    if (!next) return;
    if (next.get() == image.get()) {
        static_cast<void>(next.release());  // the same image handed back
        return;
    }
    image = std::move(next);
}

// The warning box of a failed step, with the library's text.
void ShowError(const CompositionJob& job, ImageHandle image, ImageStatus status) {
    char text[256] = {};
    job.library->GetErrorText(image, status, text, sizeof text);
    text[sizeof text - 1] = '\0';
    RunMessageBox(job.owner, text, nullptr, MB_ICONWARNING | MB_OK);
}

void Fit(CodecImage& image, const CompositionJob& job, PixelSize screen) {
    PixelSize picture{};
    if (!SizeOf(image, &picture)) return;
    const FitResize fit = FitPicture(job.settings.VistalPosition, screen, picture);
    if (!fit.needed) return;
    CodecImage resized(job.library, 0);
    job.library->ResizeImage(image.get(), resized.put(), fit.size.width, fit.size.height, fit.mode);
    ContinueWith(image, std::move(resized));
}

// A Tiled picture smaller than the screen is repeated over a screen-sized image.
void TileToScreen(CodecImage& image, const CompositionJob& job, PixelSize screen) {
    PixelSize picture{};
    if (!SizeOf(image, &picture) || !NeedsTiling(job.settings.VistalPosition, screen, picture)) return;
    CodecImage tiled(job.library, job.library->CreateImage(screen.width, screen.height, 24, 0));
    if (!tiled) return;
    for (const RECT& tile : TileRectangles(screen, picture))
        job.library->PasteImage(image.get(), tiled.get(), &tile, 0, 0);
    ContinueWith(image, std::move(tiled));
}

void DrawCalendarOn(CodecImage& image, const CompositionJob& job, PixelSize screen) {
    const SettingsRecord& s = job.settings;
    TileToScreen(image, job, screen);
    PixelSize picture{};
    const bool known = SizeOf(image, &picture);
    RECT rect;
    const CalendarLayout layout{s.CalendarPosition, s.CalendarWidth, s.CalendarHeight, s.CalendarMarginX,
                                s.CalendarMarginY};
    if (!CalendarRectangle(layout, s.VistalPosition, screen, known ? &picture : nullptr, &rect)) return;

    int32_t month = 0, day = 0, year = 0;
    __time64_t now = _time64(nullptr);
    if (const tm* local = _localtime64(&now)) {
        month = local->tm_mon + 1;
        day = local->tm_mday;
        year = local->tm_year + 1900;
    }
    job.library->DrawCalendar(image.get(), month, day, year, &rect, s.CalendarGridLines, s.CalendarUSHolidays,
                              s.CalendarTransparentBackground);
}

bool ReduceColorsForDisplay(CodecImage& image, const CompositionJob& job) {
    int32_t flag = 0;
    job.library->GetDepthFlag(image.get(), &flag);
    if (!flag) return true;
    const ColorReduction reduction = ReductionForDepth(job.screenDepth());
    CodecImage reduced(job.library, 0);
    const ImageStatus status = job.library->ReduceColors(image.get(), reduced.put(), reduction.bits,
                                                         reduction.colors, reduction.method, 0, 1);
    if (status != IMAGE_OK && status != IMAGE_NOTHING_TO_DO) {
        ShowError(job, image.get(), status);
        return false;
    }
    ContinueWith(image, std::move(reduced));
    return true;
}

// The library writes the file beside its name and moves it over the old
// one, so "vistals.bmp" always holds a whole picture.
bool WriteWallpaper(const CodecImage& image, const CompositionJob& job) {
    ImageStatus status = job.library->BeginWrite(job.outputPath.c_str(), image.get(), &job.writer);
    if (status != IMAGE_OK) {
        ShowError(job, image.get(), status);
        return false;
    }
    const int32_t standard[2] = {2, 0};
    job.library->SetWriteOption(image.get(), WRITE_OPTION_STANDARD, standard);
    status = job.library->WriteImage(image.get());
    job.library->CloseSource(image.get());
    if (status == IMAGE_NOTHING_TO_DO) return false;
    if (status != IMAGE_OK) {
        ShowError(job, image.get(), status);
        return false;
    }
    return true;
}

bool Decode(CodecImage& image, const CompositionJob& job) {
    const ImageStatus status = job.library->ReadImage(image.get());
    job.library->CloseSource(image.get());
    if (status != IMAGE_OK) {
        ShowError(job, image.get(), status);
        return false;
    }
    PixelSize size{};
    if (SizeOf(image, &size) && (size.width <= 0 || size.height <= 0)) {
        ShowError(job, image.get(), IMAGE_ERR_BAD_SIZE);
        return false;
    }
    return true;
}

// Drops the pictures of a change that does not run, ending their images'
// file access first.
void DropPictures(std::vector<ScreenPicture>& pictures) {
    for (ScreenPicture& picture : pictures)
        if (picture.image && picture.image.library()) picture.image.library()->CloseSource(picture.image.get());
    pictures.clear();
}

// The images of a change's pictures until each is taken for its monitor;
// those never taken are dropped with it.
class PendingPictures {
public:
    explicit PendingPictures(std::vector<ScreenPicture> pictures) : pictures_(std::move(pictures)) {}
    ~PendingPictures() { DropPictures(pictures_); }
    PendingPictures(const PendingPictures&) = delete;
    PendingPictures& operator=(const PendingPictures&) = delete;

    size_t size() const { return pictures_.size(); }
    // The image for the monitor at `index`: the one opened for it, else the
    // picture it repeats opened anew, as a change opens it on the main
    // thread; none after the error box.
    CodecImage Take(size_t index, const CompositionJob& job) {
        ScreenPicture& picture = pictures_[index % pictures_.size()];
        if (index < pictures_.size() && picture.image) return std::move(picture.image);
        return OpenPicture(*job.library, picture.path.c_str(), job.owner);
    }

private:
    std::vector<ScreenPicture> pictures_;
};

// Cuts a picture to the part its monitor shows and pastes that onto the
// canvas where Windows will show it on the monitor. False when no memory
// was left for the cut.
bool PasteOnCanvas(CodecImage& picture, const CodecImage& canvas, const CanvasPlan& plan, const RECT& monitor,
                   const CompositionJob& job) {
    PixelSize size{};
    if (!SizeOf(picture, &size)) return true;  // nothing known to paste: the monitor stays black
    const PixelSize screen = SizeOf(monitor);
    const POINT offset = PictureOffset(job.settings.VistalPosition, screen, size);
    const RECT visible = VisiblePart(offset, screen, size);
    const PixelSize shown = SizeOf(visible);
    if (shown.width <= 0 || shown.height <= 0) return true;
    if (!(shown == size)) {
        CodecImage cut(job.library, job.library->CreateImage(shown.width, shown.height, 24, 0));
        if (!cut) {
            ShowError(job, 0, IMAGE_ERR_NO_MEMORY);
            return false;
        }
        const RECT from = {-visible.left, -visible.top, size.width - visible.left, size.height - visible.top};
        job.library->PasteImage(picture.get(), cut.get(), &from, 0, 0);
        ContinueWith(picture, std::move(cut));
    }
    const POINT at = {monitor.left + std::max<LONG>(offset.x, 0), monitor.top + std::max<LONG>(offset.y, 0)};
    for (const POINT& place : CanvasPlacements(plan, at, shown)) {
        const RECT to = {place.x, place.y, place.x + shown.width, place.y + shown.height};
        job.library->PasteImage(picture.get(), canvas.get(), &to, 0, 0);
    }
    return true;
}

// One bitmap over all monitors, composed monitor by monitor so that only
// one picture is held beside it at a time.
bool ComposeScreensRun(PendingPictures& pictures, const std::vector<RECT>& monitors, const CompositionJob& job) {
    const CanvasStyle style = job.canvasStyle();
    const CanvasPlan plan = PlanCanvas(monitors, style);
    // Black where no monitor is.
    CodecImage canvas(job.library, job.library->CreateImage(plan.size.width, plan.size.height, 24, 0));
    if (!canvas) {
        ShowError(job, 0, IMAGE_ERR_NO_MEMORY);
        return false;
    }
    for (size_t i = 0; i < monitors.size(); ++i) {
        if (job.stopped && *job.stopped) return false;  // the program is ending: no more pictures
        CodecImage picture = pictures.Take(i, job);
        if (!picture) return false;
        if (!Decode(picture, job)) return false;
        const PixelSize screen = SizeOf(monitors[i]);
        Fit(picture, job, screen);
        TileToScreen(picture, job, screen);
        // The calendar only on the primary, placed as on a single screen.
        if (i == 0 && job.settings.CalendarPosition != 0) DrawCalendarOn(picture, job, screen);
        if (!PasteOnCanvas(picture, canvas, plan, monitors[i], job)) return false;
    }
    if (!ReduceColorsForDisplay(canvas, job)) return false;
    if (job.stopped && *job.stopped) return false;  // as on one screen
    if (!WriteWallpaper(canvas, job)) return false;
    RegisterCanvasWallpaper(job.outputPath.c_str(), style);
    return true;
}

// One run behind the thread's exception barrier: whatever it throws (an
// allocation failure) makes it a failed change.
bool ComposeGuarded(std::vector<ScreenPicture> pictures, const CompositionJob& job) noexcept {
    try {
        return ComposeChangeRun(std::move(pictures), job);
    } catch (...) {
        return false;
    }
}

}  // namespace

CodecImage OpenPicture(ImageLibrary& library, const char* path, HWND owner) {
    CodecImage image(&library, 0);
    int32_t reserved = 0;
    const ImageStatus status = library.OpenImage(path, image.put(), &reserved);
    if (status == IMAGE_OK) return image;
    char text[256] = {};
    library.GetErrorText(image.get(), status, text, 255);
    image.reset();
    RunMessageBox(owner, text, path, MB_ICONEXCLAMATION | MB_OK);
    return CodecImage();
}

bool ComposeWallpaperRun(CodecImage image, const CompositionJob& job) {
    if (!Decode(image, job)) return false;
    Fit(image, job, job.screenSize());
    if (job.settings.CalendarPosition != 0) DrawCalendarOn(image, job, job.screenSize());
    if (!ReduceColorsForDisplay(image, job)) return false;
    // The program is ending: a file not yet begun is not begun now, so the
    // end neither waits for it nor is cut short in the middle of it.
    if (job.stopped && *job.stopped) return false;
    if (!WriteWallpaper(image, job)) return false;
    RegisterWallpaper(job.outputPath.c_str(), job.settings.VistalPosition);
    return true;
}

bool ComposeChangeRun(std::vector<ScreenPicture> list, const CompositionJob& job) {
    PendingPictures pictures(std::move(list));
    if (!pictures.size()) return false;
    const std::vector<RECT> monitors = job.monitors();
    if (job.settings.VistalPerScreen && monitors.size() > 1) return ComposeScreensRun(pictures, monitors, job);
    CodecImage image = pictures.Take(0, job);
    return image && ComposeWallpaperRun(std::move(image), job);
}

void CompositionQueue::SetNotifyWindow(HWND window, UINT message) {
    std::lock_guard<std::mutex> guard(lock_);
    if (window) stopping_ = false;  // a new main window: changes are welcome again
    notify_ = window;
    notifyMessage_ = message;
}

CompositionJob CompositionQueue::MakeJob() {
    CompositionJob job;
    job.library = TheImageLibrary;
    if (BmpFormatIndex >= 0 && static_cast<size_t>(BmpFormatIndex) < FormatTable.size())
        job.writer = FormatTable[static_cast<size_t>(BmpFormatIndex)];
    job.outputPath = WallpaperOutputPath(AfxModuleFileName(nullptr).str());
    job.settings = Settings;
    job.owner = notify_;
    job.stopped = &stopping_;
    return job;
}

void CompositionQueue::FreeWaiting() {
    if (waiting_) DropPictures(waiting_->pictures);
    waiting_.reset();
}

void CompositionQueue::Start(Work work) {
    runWork_ = std::move(work);
    const uintptr_t thread = _beginthreadex(nullptr, 0, &ComposeWallpaper, nullptr, 0, nullptr);
    if (!thread) {
        DropPictures(runWork_.pictures);
        return;
    }
    running_ = true;
    thread_.reset(reinterpret_cast<HANDLE>(thread));
}

void CompositionQueue::Submit(std::vector<ScreenPicture> pictures) {
    std::lock_guard<std::mutex> guard(lock_);
    Work work;
    work.pictures = std::move(pictures);
    if (stopping_ || work.pictures.empty()) {
        DropPictures(work.pictures);
        return;
    }
    try {
        work.job = MakeJob();
    } catch (...) {
        DropPictures(work.pictures);
        return;
    }
    if (running_) {
        FreeWaiting();  // an older waiting change is dropped
        waiting_ = std::move(work);
        return;
    }
    Start(std::move(work));
}

bool CompositionQueue::DesktopShowsOurs(const std::string& outputPath) const {
    RegKey desktop;
    CString wallpaper;
    return desktop.Open(HKEY_CURRENT_USER, "Control Panel\\Desktop", KEY_QUERY_VALUE) &&
           desktop.QueryString("Wallpaper", wallpaper) && _stricmp(wallpaper, outputPath.c_str()) == 0;
}

void CompositionQueue::Recompose() {
    std::lock_guard<std::mutex> guard(lock_);
    if (stopping_ || waiting_ || (!running_ && shown_.empty())) return;
    Work work;
    work.recompose = true;
    work.job = MakeJob();
    if (running_) {
        waiting_ = std::move(work);
        return;
    }
    if (DesktopShowsOurs(work.job.outputPath)) Start(std::move(work));
}

std::vector<std::string> CompositionQueue::PicturesOnShow() {
    std::lock_guard<std::mutex> guard(lock_);
    return shown_;
}

void CompositionQueue::RunUntilEmpty() noexcept {
    std::unique_lock<std::mutex> held(lock_);
    // The worker's last act, under the same hold of the lock that found
    // nothing waiting: a picture handed in meanwhile either waits for this
    // loop or starts a worker of its own.
    ScopeExit markIdle([&] {
        if (!held.owns_lock()) held.lock();
        running_ = false;
    });
    Work work = std::move(runWork_);
    for (;;) {
        try {
            if (work.recompose)
                for (const std::string& path : shown_) work.pictures.push_back({path, CodecImage()});
            std::vector<std::string> paths;
            for (const ScreenPicture& picture : work.pictures) paths.push_back(picture.path);
            held.unlock();
            const bool applied = work.job.library && ComposeGuarded(std::move(work.pictures), work.job);
            held.lock();
            if (applied) {
                shown_ = std::move(paths);
                if (notify_) PostMessageA(notify_, notifyMessage_, work.recompose ? kRecomposedNotice : 0, 0);
            }
        } catch (...) {  // no memory for the list of paths: a failed change
            if (!held.owns_lock()) held.lock();
            DropPictures(work.pictures);
        }
        if (!waiting_) return;
        work = std::move(*waiting_);
        waiting_.reset();
    }
}

bool CompositionQueue::Shutdown(DWORD timeoutMs) {
    HANDLE thread;
    {
        std::lock_guard<std::mutex> guard(lock_);
        stopping_ = true;
        FreeWaiting();
        notify_ = nullptr;
        if (!running_) return true;
        thread = thread_.get();
    }
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs) break;
        const DWORD result = MsgWaitForMultipleObjects(1, &thread, FALSE, timeoutMs - elapsed, QS_SENDMESSAGE);
        if (result == WAIT_OBJECT_0) break;
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // delivers messages sent to this thread
    }
    return IsIdle();
}

bool CompositionQueue::IsIdle() {
    std::lock_guard<std::mutex> guard(lock_);
    return !running_;
}

unsigned __stdcall ComposeWallpaper(void*) {
    TheCompositionQueue.RunUntilEmpty();
    return 0;
}
