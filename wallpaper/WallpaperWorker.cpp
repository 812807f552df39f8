#include "WallpaperWorker.h"

#include "framework/Lifetime.h"
#include "framework/ModalLoop.h"
#include "framework/WinApp.h"
#include "wallpaper/CodecBinding.h"
#include "wallpaper/Composition.h"
#include "wallpaper/WallpaperRegistration.h"

#include <process.h>

#include <ctime>
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

// The picture being worked on. Each step that makes a new image frees the
// old one; whatever is current when the run ends is freed too.
class CurrentImage {
public:
    CurrentImage(ImageLibrary& library, ImageHandle image) : library_(library), image_(image) {}
    ~CurrentImage() { if (image_) library_.FreeImage(image_); }
    CurrentImage(const CurrentImage&) = delete;
    CurrentImage& operator=(const CurrentImage&) = delete;

    ImageHandle get() const { return image_; }
    void Replace(ImageHandle next) {
        if (!next || next == image_) return;
        library_.FreeImage(image_);
        image_ = next;
    }
    bool Size(PixelSize* size) const {
        ImageInfo info{};
        info.structSize = sizeof info;
        if (library_.GetImageInfo(image_, &info) != IMAGE_OK) return false;
        *size = {info.width, info.height};
        return true;
    }

private:
    ImageLibrary& library_;
    ImageHandle image_;
};

// The warning box of a failed step, with the library's text.
void ShowError(const CompositionJob& job, ImageHandle image, ImageStatus status) {
    char text[256] = {};
    job.library->GetErrorText(image, status, text, sizeof text);
    text[sizeof text - 1] = '\0';
    RunMessageBox(job.owner, text, nullptr, MB_ICONWARNING | MB_OK);
}

void Fit(CurrentImage& image, const CompositionJob& job) {
    PixelSize picture{};
    if (!image.Size(&picture)) return;
    const FitResize fit = FitPicture(job.settings.VistalPosition, job.screenSize(), picture);
    if (!fit.needed) return;
    ImageHandle resized = 0;
    job.library->ResizeImage(image.get(), &resized, fit.size.width, fit.size.height, fit.mode);
    image.Replace(resized);
}

void DrawCalendarOn(CurrentImage& image, const CompositionJob& job) {
    const SettingsRecord& s = job.settings;
    const PixelSize screen = job.screenSize();
    PixelSize picture{};
    const bool known = image.Size(&picture);
    if (known && NeedsTiling(s.VistalPosition, screen, picture)) {
        if (ImageHandle tiled = job.library->CreateImage(screen.width, screen.height, 24, 0)) {
            for (const RECT& tile : TileRectangles(screen, picture))
                job.library->PasteImage(image.get(), tiled, &tile, 0, 0);
            image.Replace(tiled);
        }
    }
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

bool ReduceColorsForDisplay(CurrentImage& image, const CompositionJob& job) {
    int32_t flag = 0;
    job.library->GetDepthFlag(image.get(), &flag);
    if (!flag) return true;
    const ColorReduction reduction = ReductionForDepth(job.screenDepth());
    ImageHandle reduced = 0;
    const ImageStatus status = job.library->ReduceColors(image.get(), &reduced, reduction.bits, reduction.colors,
                                                         reduction.method, 0, 1);
    if (status != IMAGE_OK && status != IMAGE_NOTHING_TO_DO) {
        ShowError(job, image.get(), status);
        if (reduced) job.library->FreeImage(reduced);
        return false;
    }
    image.Replace(reduced);
    return true;
}

// The library writes the file beside its name and moves it over the old
// one, so "vistals.bmp" always holds a whole picture.
bool WriteWallpaper(CurrentImage& image, const CompositionJob& job) {
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

// One run behind the thread's exception barrier: whatever it throws (an
// allocation failure) makes it a failed change. The run owns the image from
// its first statement on.
bool ComposeGuarded(ImageHandle image, const CompositionJob& job) noexcept {
    try {
        return ComposeWallpaperRun(image, job);
    } catch (...) {
        return false;
    }
}

}  // namespace

bool ComposeWallpaperRun(ImageHandle handle, const CompositionJob& job) {
    CurrentImage image(*job.library, handle);

    const ImageStatus status = job.library->ReadImage(image.get());
    job.library->CloseSource(image.get());
    if (status != IMAGE_OK) {
        ShowError(job, image.get(), status);
        return false;
    }
    PixelSize size{};
    if (image.Size(&size) && (size.width <= 0 || size.height <= 0)) {
        ShowError(job, image.get(), IMAGE_ERR_BAD_SIZE);
        return false;
    }

    Fit(image, job);
    if (job.settings.CalendarPosition != 0) DrawCalendarOn(image, job);
    if (!ReduceColorsForDisplay(image, job)) return false;
    // The program is ending: a file not yet begun is not begun now, so the
    // end neither waits for it nor is cut short in the middle of it.
    if (job.stopped && *job.stopped) return false;
    if (!WriteWallpaper(image, job)) return false;
    RegisterWallpaper(job.outputPath.c_str(), job.settings.VistalPosition);
    return true;
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

void CompositionQueue::Notify() {
    std::lock_guard<std::mutex> guard(lock_);
    if (notify_) PostMessageA(notify_, notifyMessage_, 0, 0);
}

void CompositionQueue::FreeWaiting() {
    if (waiting_ && waitingJob_.library) {
        waitingJob_.library->CloseSource(waiting_);
        waitingJob_.library->FreeImage(waiting_);
    }
    waiting_ = 0;
}

void CompositionQueue::Submit(ImageHandle image) {
    std::lock_guard<std::mutex> guard(lock_);
    if (stopping_) {
        if (TheImageLibrary) TheImageLibrary->FreeImage(image);
        return;
    }
    CompositionJob job;
    try {
        job = MakeJob();
    } catch (...) {
        if (TheImageLibrary) TheImageLibrary->FreeImage(image);
        return;
    }
    if (running_) {
        FreeWaiting();  // an older waiting change is dropped
        waiting_ = image;
        waitingJob_ = std::move(job);
        return;
    }
    runJob_ = std::move(job);
    const uintptr_t thread = _beginthreadex(nullptr, 0, &ComposeWallpaper,
                                            reinterpret_cast<void*>(static_cast<uintptr_t>(image)), 0, nullptr);
    if (!thread) {
        if (runJob_.library) runJob_.library->FreeImage(image);
        return;
    }
    running_ = true;
    thread_.reset(reinterpret_cast<HANDLE>(thread));
}

void CompositionQueue::RunUntilEmpty(ImageHandle image) noexcept {
    std::unique_lock<std::mutex> held(lock_);
    // The worker's last act, under the same hold of the lock that found
    // nothing waiting: a picture handed in meanwhile either waits for this
    // loop or starts a worker of its own.
    ScopeExit markIdle([&] {
        if (!held.owns_lock()) held.lock();
        running_ = false;
    });
    CompositionJob job = std::move(runJob_);
    while (image) {
        held.unlock();
        if (job.library && ComposeGuarded(image, job)) Notify();
        held.lock();
        image = std::exchange(waiting_, 0);
        job = std::move(waitingJob_);
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

unsigned __stdcall ComposeWallpaper(void* image) {
    TheCompositionQueue.RunUntilEmpty(static_cast<ImageHandle>(reinterpret_cast<uintptr_t>(image)));
    return 0;
}
