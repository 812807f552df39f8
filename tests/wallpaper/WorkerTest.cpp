// The composition queue's worker against a stand-in library: a run that
// throws is a failed change that frees its picture and leaves the queue free
// for the next one, and a job keeps the writer's record even when the table
// it came from is gone.
#include "support/WaitUntil.h"
#include "wallpaper/CodecBinding.h"
#include "wallpaper/WallpaperWorker.h"

#include <gtest/gtest.h>

#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <vector>

namespace {

constexpr ImageHandle kThrows = 1;
constexpr ImageHandle kWaitsThenReads = 2;

class StandInLibrary : public ImageLibrary {
public:
    KernelHandle readGate{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    KernelHandle reading{CreateEventA(nullptr, TRUE, FALSE, nullptr)};

    std::vector<ImageHandle> Freed() {
        std::lock_guard<std::mutex> guard(lock_);
        return freed_;
    }
    std::string WriterTag() {
        std::lock_guard<std::mutex> guard(lock_);
        return writerTag_;
    }

    void __stdcall CloseSource(ImageHandle) override {}
    void __stdcall FreeImage(ImageHandle image) override {
        std::lock_guard<std::mutex> guard(lock_);
        freed_.push_back(image);
    }
    ImageStatus __stdcall ReadImage(ImageHandle image) override {
        if (image == kThrows) throw std::bad_alloc();
        SetEvent(reading.get());
        WaitForSingleObject(readGate.get(), 10000);
        return IMAGE_OK;
    }
    ImageStatus __stdcall GetImageInfo(ImageHandle, ImageInfo* info) override {
        info->width = 640;
        info->height = 480;
        return IMAGE_OK;
    }
    ImageStatus __stdcall GetDepthFlag(ImageHandle, int32_t* flag) override {
        *flag = 0;
        return IMAGE_OK;
    }
    ImageStatus __stdcall BeginWrite(const char*, ImageHandle, const FormatInfo* writer) override {
        std::lock_guard<std::mutex> guard(lock_);
        writerTag_.assign(writer->tag, strnlen(writer->tag, sizeof writer->tag));
        return IMAGE_OK;
    }
    // Ends the run silently: no box, no registration, no notice.
    ImageStatus __stdcall WriteImage(ImageHandle) override { return IMAGE_NOTHING_TO_DO; }

    ImageStatus __stdcall CheckImage(ImageHandle) override { return IMAGE_OK; }
    ImageStatus __stdcall PasteImage(ImageHandle, ImageHandle, const RECT*, int32_t, int32_t) override { return 1; }
    ImageStatus __stdcall DrawImage(ImageHandle, HDC, const RECT*, const RECT*, int32_t, int32_t) override { return 1; }
    ImageStatus __stdcall GetErrorText(ImageHandle, ImageStatus, char* buffer, int32_t) override {
        buffer[0] = '\0';
        return IMAGE_OK;
    }
    ImageStatus __stdcall GetFormatInfo(int32_t, FormatInfo*) override { return 1; }
    int16_t __stdcall GetFormatCount() override { return 0; }
    ImageStatus __stdcall OpenImage(const char*, ImageHandle*, int32_t*) override { return 1; }
    ImageStatus __stdcall SetWriteOption(ImageHandle, int32_t, const int32_t*) override { return IMAGE_OK; }
    ImageStatus __stdcall ReduceColors(ImageHandle, ImageHandle*, int32_t, int32_t, int32_t, int32_t,
                                       int32_t) override {
        return 1;
    }
    ImageStatus __stdcall ResizeImage(ImageHandle, ImageHandle*, int32_t, int32_t, int32_t) override { return 1; }
    ImageHandle __stdcall CreateImage(int32_t, int32_t, int32_t, int32_t) override { return 0; }
    ImageStatus __stdcall DrawCalendar(ImageHandle, int32_t, int32_t, int32_t, const RECT*, BOOL, BOOL,
                                       BOOL) override {
        return 1;
    }

private:
    std::mutex lock_;
    std::vector<ImageHandle> freed_;
    std::string writerTag_;
};

// A change of one picture, opened as `image` by `library`.
std::vector<ScreenPicture> OneChange(ImageLibrary& library, ImageHandle image) {
    std::vector<ScreenPicture> change;
    change.push_back({"", CodecImage(&library, image)});
    return change;
}

bool WaitUntilIdle() {
    return WaitUntil([] { return TheCompositionQueue.IsIdle(); });
}

}  // namespace

TEST(CompositionWorker, AThrowingRunIsAFailedChangeAndAJobKeepsItsWriter) {
    StandInLibrary library;
    TheImageLibrary = &library;
    FormatInfo bmp{};
    std::strcpy(bmp.tag, "BMP");
    bmp.writable = 1;
    FormatTable.assign(1, bmp);
    BmpFormatIndex = 0;

    TheCompositionQueue.Submit(OneChange(library, kThrows));
    ASSERT_TRUE(WaitUntilIdle()) << "the running mark stays after a throw";
    EXPECT_EQ(std::vector<ImageHandle>{kThrows}, library.Freed());

    // The next change starts a worker of its own; the table it was made from
    // goes away while it runs.
    TheCompositionQueue.Submit(OneChange(library, kWaitsThenReads));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(library.reading.get(), 10000));
    std::vector<FormatInfo>().swap(FormatTable);
    SetEvent(library.readGate.get());
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ("BMP", library.WriterTag());
    EXPECT_EQ((std::vector<ImageHandle>{kThrows, kWaitsThenReads}), library.Freed());

    TheImageLibrary = nullptr;
}
