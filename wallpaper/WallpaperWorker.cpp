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

void Fit(CodecImage& image, const CompositionJob& job) {
    PixelSize picture{};
    if (!SizeOf(image, &picture)) return;
    const FitResize fit = FitPicture(job.settings.VistalPosition, job.screenSize(), picture);
    if (!fit.needed) return;
    CodecImage resized(job.library, 0);
    job.library->ResizeImage(image.get(), resized.put(), fit.size.width, fit.size.height, fit.mode);
    ContinueWith(image, std::move(resized));
}

void DrawCalendarOn(CodecImage& image, const CompositionJob& job) {
    const SettingsRecord& s = job.settings;
    const PixelSize screen = job.screenSize();
    PixelSize picture{};
    const bool known = SizeOf(image, &picture);
    if (known && NeedsTiling(s.VistalPosition, screen, picture)) {
        CodecImage tiled(job.library, job.library->CreateImage(screen.width, screen.height, 24, 0));
        if (tiled) {
            for (const RECT& tile : TileRectangles(screen, picture))
                job.library->PasteImage(image.get(), tiled.get(), &tile, 0, 0);
            ContinueWith(image, std::move(tiled));
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

// One run behind the thread's exception barrier: whatever it throws (an
// allocation failure) makes it a failed change.
bool ComposeGuarded(CodecImage image, const CompositionJob& job) noexcept {
    try {
        return ComposeWallpaperRun(std::move(image), job);
    } catch (...) {
        return false;
    }
}

}  // namespace

bool ComposeWallpaperRun(CodecImage image, const CompositionJob& job) {
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
    if (waiting_ && waiting_.library()) waiting_.library()->CloseSource(waiting_.get());
    waiting_.reset();
}

void CompositionQueue::Submit(CodecImage image) {
    std::lock_guard<std::mutex> guard(lock_);
    if (stopping_) return;
    CompositionJob job;
    try {
        job = MakeJob();
    } catch (...) {
        return;
    }
    if (running_) {
        FreeWaiting();  // an older waiting change is dropped
        waiting_ = std::move(image);
        waitingJob_ = std::move(job);
        return;
    }
    runJob_ = std::move(job);
    const uintptr_t thread = _beginthreadex(nullptr, 0, &ComposeWallpaper,
                                            reinterpret_cast<void*>(static_cast<uintptr_t>(image.get())), 0, nullptr);
    if (!thread) return;
    static_cast<void>(image.release());  // the worker owns it now
    running_ = true;
    thread_.reset(reinterpret_cast<HANDLE>(thread));
}

void CompositionQueue::RunUntilEmpty(ImageHandle handle) noexcept {
    std::unique_lock<std::mutex> held(lock_);
    // The worker's last act, under the same hold of the lock that found
    // nothing waiting: a picture handed in meanwhile either waits for this
    // loop or starts a worker of its own.
    ScopeExit markIdle([&] {
        if (!held.owns_lock()) held.lock();
        running_ = false;
    });
    CompositionJob job = std::move(runJob_);
    CodecImage image(job.library, handle);
    while (image) {
        held.unlock();
        if (job.library && ComposeGuarded(std::move(image), job)) Notify();
        held.lock();
        image = std::move(waiting_);
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
