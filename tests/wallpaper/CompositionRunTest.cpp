// One composition run driven against a recording stand-in for the codec
// library and a made-up screen: what the worker asks of the library, in
// which order and with which arguments, what it does with each status, and
// that every image it is given or makes is freed exactly once.
#include "wallpaper/WallpaperWorker.h"
#include "WallpaperTestSupport.h"
#include "support/DialogCatcher.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

class RecordingLibrary : public ImageLibrary {
public:
    // What the picture and the steps give.
    PixelSize picture{800, 600};
    ImageStatus readStatus = IMAGE_OK;
    ImageStatus infoStatus = IMAGE_OK;
    int32_t depthFlag = 1;
    ImageStatus reduceStatus = IMAGE_OK;
    bool createGivesImage = true;
    ImageStatus beginWriteStatus = IMAGE_OK;
    ImageStatus writeStatus = IMAGE_OK;

    std::vector<std::string> calls;      // effects, in order
    std::vector<RECT> pastes;
    RECT calendar{};
    int32_t calendarDate[3] = {};        // month, day, year
    int32_t calendarFlags[3] = {};
    std::string writtenTo;
    std::vector<std::string> faults;     // frees of dead images and the like

    ImageHandle Open() { return NewImage(picture); }

    // Images made but never freed.
    size_t Live() const { return sizes_.size(); }

    void __stdcall CloseSource(ImageHandle image) override { Call("CloseSource", image); }
    void __stdcall FreeImage(ImageHandle image) override {
        Call("FreeImage", image);
        if (!sizes_.erase(image)) faults.push_back("freed dead image " + std::to_string(image));
    }
    ImageStatus __stdcall CheckImage(ImageHandle) override { return IMAGE_OK; }
    ImageStatus __stdcall PasteImage(ImageHandle source, ImageHandle destination, const RECT* rect, int32_t,
                                     int32_t) override {
        Expect(source);
        Expect(destination);
        pastes.push_back(*rect);
        return IMAGE_OK;
    }
    ImageStatus __stdcall DrawImage(ImageHandle, HDC, const RECT*, const RECT*, int32_t, int32_t) override {
        return IMAGE_OK;
    }
    ImageStatus __stdcall GetErrorText(ImageHandle, ImageStatus status, char* buffer, int32_t size) override {
        std::snprintf(buffer, size, "stand-in error %u", status);
        return IMAGE_OK;
    }
    ImageStatus __stdcall GetFormatInfo(int32_t, FormatInfo*) override { return IMAGE_ERR_BAD_ARGUMENT; }
    int16_t __stdcall GetFormatCount() override { return 0; }
    ImageStatus __stdcall BeginWrite(const char* path, ImageHandle image, const FormatInfo*) override {
        Call("BeginWrite", image);
        writtenTo = path;
        return beginWriteStatus;
    }
    ImageStatus __stdcall OpenImage(const char*, ImageHandle*, int32_t*) override { return IMAGE_ERR_OPEN; }
    ImageStatus __stdcall ReadImage(ImageHandle image) override {
        Call("ReadImage", image);
        return readStatus;
    }
    ImageStatus __stdcall SetWriteOption(ImageHandle image, int32_t option, const int32_t* values) override {
        Call("SetWriteOption", image, {option, values[0], values[1]});
        return IMAGE_OK;
    }
    ImageStatus __stdcall WriteImage(ImageHandle image) override {
        Call("WriteImage", image);
        if (writeStatus == IMAGE_OK) WriteFileBytes(writtenTo, std::string(64, 'w'));
        return writeStatus;
    }
    ImageStatus __stdcall GetImageInfo(ImageHandle image, ImageInfo* info) override {
        Expect(image);
        if (infoStatus != IMAGE_OK) return infoStatus;
        info->width = sizes_[image].width;
        info->height = sizes_[image].height;
        return IMAGE_OK;
    }
    ImageStatus __stdcall GetDepthFlag(ImageHandle image, int32_t* flag) override {
        Expect(image);
        *flag = depthFlag;
        return IMAGE_OK;
    }
    ImageStatus __stdcall ReduceColors(ImageHandle image, ImageHandle* result, int32_t bits, int32_t colors,
                                       int32_t method, int32_t reserved1, int32_t reserved2) override {
        Call("ReduceColors", image, {bits, colors, method, reserved1, reserved2});
        const bool copy = reduceStatus == IMAGE_OK || reduceStatus == IMAGE_NOTHING_TO_DO;
        *result = copy ? NewImage(sizes_[image]) : 0;
        return reduceStatus;
    }
    ImageStatus __stdcall ResizeImage(ImageHandle image, ImageHandle* result, int32_t width, int32_t height,
                                      int32_t mode) override {
        Call("ResizeImage", image, {width, height, mode});
        *result = NewImage({width, height});
        return IMAGE_OK;
    }
    ImageHandle __stdcall CreateImage(int32_t width, int32_t height, int32_t bits, int32_t reserved) override {
        Call("CreateImage", 0, {width, height, bits, reserved});
        return createGivesImage ? NewImage({width, height}) : 0;
    }
    ImageStatus __stdcall DrawCalendar(ImageHandle image, int32_t month, int32_t day, int32_t year,
                                       const RECT* rect, BOOL gridLines, BOOL usHolidays,
                                       BOOL transparentBackground) override {
        Call("DrawCalendar", image);
        calendar = *rect;
        calendarDate[0] = month, calendarDate[1] = day, calendarDate[2] = year;
        calendarFlags[0] = gridLines, calendarFlags[1] = usHolidays, calendarFlags[2] = transparentBackground;
        return IMAGE_OK;
    }

private:
    ImageHandle NewImage(PixelSize size) {
        sizes_[next_] = size;
        return next_++;
    }
    void Expect(ImageHandle image) {
        if (!sizes_.count(image)) faults.push_back("used dead image " + std::to_string(image));
    }
    void Call(const char* name, ImageHandle image, std::vector<int32_t> values = {}) {
        std::string text = std::string(name) + "(" + std::to_string(image);
        for (int32_t v : values) text += "," + std::to_string(v);
        calls.push_back(text + ")");
        if (image && std::string(name) != "FreeImage") Expect(image);
    }

    std::map<ImageHandle, PixelSize> sizes_;
    ImageHandle next_ = 1;
};

int32_t gScreenDepth = 32;
PixelSize Screen1024x768() { return {1024, 768}; }
int32_t ScreenDepthForTest() { return gScreenDepth; }

class CompositionRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        gScreenDepth = 32;
        folder_ = MakeTempFolder("composition-run");
        job_.library = &library_;
        job_.outputPath = folder_ + "\\vistals.bmp";
        job_.owner = nullptr;
        job_.screenSize = Screen1024x768;
        job_.screenDepth = ScreenDepthForTest;
    }

    // Runs once; `boxes` receives the texts of the error boxes shown.
    bool Run(std::vector<std::string>* boxes = nullptr) {
        DialogCatcher catcher;
        const bool applied = ComposeWallpaperRun(CodecImage(&library_, library_.Open()), job_);
        if (boxes)
            for (const CaughtBox& box : catcher.Boxes()) boxes->push_back(box.text);
        EXPECT_EQ(0u, library_.Live()) << "an image was not freed";
        for (const std::string& fault : library_.faults) ADD_FAILURE() << fault;
        return applied;
    }

    std::string folder_;
    RecordingLibrary library_;
    CompositionJob job_{};
};

}  // namespace

TEST_F(CompositionRunTest, FitDesktopWithCalendarInCallOrder) {
    job_.settings.VistalPosition = 2;
    job_.settings.CalendarPosition = 5;
    job_.settings.CalendarGridLines = 1;
    job_.settings.CalendarUSHolidays = 0;
    job_.settings.CalendarTransparentBackground = 1;
    SYSTEMTIME today;
    GetLocalTime(&today);

    std::vector<std::string> boxes;
    ASSERT_TRUE(Run(&boxes));
    EXPECT_TRUE(boxes.empty());
    const std::vector<std::string> expected = {
        "ReadImage(1)", "CloseSource(1)",
        "ResizeImage(1,1024,768,2)", "FreeImage(1)",         // 800x600 is smaller both ways: enlarge
        "DrawCalendar(2)",
        "ReduceColors(2,24,16777216,2,0,1)", "FreeImage(2)",  // a 32-bit display
        "BeginWrite(3)", "SetWriteOption(3,1,2,0)", "WriteImage(3)", "CloseSource(3)", "FreeImage(3)"};
    EXPECT_EQ(expected, library_.calls);
    ExpectRect(library_.calendar, 844, 613, 994, 738);
    EXPECT_EQ(today.wMonth, library_.calendarDate[0]);
    EXPECT_EQ(today.wDay, library_.calendarDate[1]);
    EXPECT_EQ(today.wYear, library_.calendarDate[2]);
    EXPECT_EQ(1, library_.calendarFlags[0]);
    EXPECT_EQ(0, library_.calendarFlags[1]);
    EXPECT_EQ(1, library_.calendarFlags[2]);
    // Written, and nothing else left in the folder.
    EXPECT_EQ(std::vector<std::string>{"vistals.bmp"}, FilesMatching(folder_, "*"));
}

TEST_F(CompositionRunTest, ResizeModesAndTiles) {
    // Maximum Fit of 800x600 on 1024x768: 1024x767, enlarged.
    job_.settings.VistalPosition = 3;
    job_.settings.CalendarPosition = 0;
    library_.depthFlag = 0;
    ASSERT_TRUE(Run());
    EXPECT_EQ("ResizeImage(1,1024,767,2)", library_.calls[2]);
    EXPECT_EQ("BeginWrite(2)", library_.calls[4]);  // no depth asked for: no reduction

    // Fit Desktop of a larger picture reduces.
    library_ = RecordingLibrary();
    library_.picture = {1600, 1200};
    job_.settings.VistalPosition = 2;
    ASSERT_TRUE(Run());
    EXPECT_EQ("ResizeImage(1,1024,768,1)", library_.calls[2]);

    // Tiled 300x200 with a calendar: 16 pastes into a screen-sized image,
    // the calendar against the screen.
    library_ = RecordingLibrary();
    library_.picture = {300, 200};
    library_.depthFlag = 0;
    job_.settings.VistalPosition = 1;
    job_.settings.CalendarPosition = 2;
    ASSERT_TRUE(Run());
    const std::vector<std::string> expected = {
        "ReadImage(1)", "CloseSource(1)", "CreateImage(0,1024,768,24,0)", "FreeImage(1)", "DrawCalendar(2)",
        "BeginWrite(2)", "SetWriteOption(2,1,2,0)", "WriteImage(2)", "CloseSource(2)", "FreeImage(2)"};
    EXPECT_EQ(expected, library_.calls);
    ASSERT_EQ(16u, library_.pastes.size());
    ExpectRect(library_.pastes[0], 0, 0, 300, 200);
    ExpectRect(library_.pastes[1], 300, 0, 600, 200);
    ExpectRect(library_.pastes[15], 900, 600, 1200, 800);
    ExpectRect(library_.calendar, 30, 30, 180, 155);

    // When no tiled image can be made, the picture itself gets the calendar.
    library_ = RecordingLibrary();
    library_.picture = {300, 200};
    library_.depthFlag = 0;
    library_.createGivesImage = false;
    ASSERT_TRUE(Run());
    EXPECT_EQ("DrawCalendar(1)", library_.calls[3]);
    EXPECT_TRUE(library_.pastes.empty());
}

TEST_F(CompositionRunTest, ColoursAreReducedToTheDisplaysDepth) {
    struct Case {
        int32_t depth;
        std::string call;
    } cases[] = {{32, "ReduceColors(1,24,16777216,2,0,1)"}, {24, "ReduceColors(1,24,16777216,2,0,1)"},
                 {16, "ReduceColors(1,16,65536,2,0,1)"},    {8, "ReduceColors(1,8,256,2,0,1)"},
                 {5, "ReduceColors(1,5,32,2,0,1)"},         {4, "ReduceColors(1,4,16,0,0,1)"},
                 {1, "ReduceColors(1,1,2,0,0,1)"}};
    job_.settings.VistalPosition = 0;
    job_.settings.CalendarPosition = 0;
    for (const Case& c : cases) {
        library_ = RecordingLibrary();
        gScreenDepth = c.depth;
        ASSERT_TRUE(Run()) << c.depth;
        ASSERT_LE(3u, library_.calls.size());
        EXPECT_EQ(c.call, library_.calls[2]) << c.depth;
    }
}

TEST_F(CompositionRunTest, StatusSevenGoesOnAfterReducingAndEndsQuietlyAfterWriting) {
    job_.settings.VistalPosition = 0;
    library_.reduceStatus = IMAGE_NOTHING_TO_DO;  // an unchanged copy: written as usual
    std::vector<std::string> boxes;
    EXPECT_TRUE(Run(&boxes));
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ("WriteImage(2)", library_.calls[6]);

    library_ = RecordingLibrary();
    WriteFileBytes(job_.outputPath, "previous");
    library_.writeStatus = IMAGE_NOTHING_TO_DO;
    EXPECT_FALSE(Run(&boxes));
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(std::vector<std::string>{"vistals.bmp"}, FilesMatching(folder_, "*"));
}

TEST_F(CompositionRunTest, EachFailingStepShowsOneBoxAndKeepsThePreviousWallpaper) {
    struct Case {
        const char* step;
        ImageStatus RecordingLibrary::*status;
        ImageStatus value;
        const char* lastCall;
    } cases[] = {
        {"read", &RecordingLibrary::readStatus, IMAGE_ERR_DAMAGED, "FreeImage(1)"},
        {"reduce", &RecordingLibrary::reduceStatus, IMAGE_ERR_NO_MEMORY, "FreeImage(1)"},
        {"begin write", &RecordingLibrary::beginWriteStatus, IMAGE_ERR_WRITE, "FreeImage(2)"},
        {"write", &RecordingLibrary::writeStatus, IMAGE_ERR_WRITE, "FreeImage(2)"},
    };
    job_.settings.VistalPosition = 0;
    for (const Case& c : cases) {
        library_ = RecordingLibrary();
        library_.*c.status = c.value;
        WriteFileBytes(job_.outputPath, "previous");
        std::vector<std::string> boxes;
        EXPECT_FALSE(Run(&boxes)) << c.step;
        EXPECT_EQ(std::vector<std::string>{"stand-in error " + std::to_string(c.value)}, boxes) << c.step;
        EXPECT_EQ(c.lastCall, library_.calls.back()) << c.step;
        // The previous file is untouched and nothing is left beside it.
        EXPECT_EQ(std::vector<std::string>{"vistals.bmp"}, FilesMatching(folder_, "*")) << c.step;
        FileHandle file(CreateFileA(job_.outputPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    0, nullptr));
        char text[16] = {};
        DWORD read = 0;
        ReadFile(file.get(), text, sizeof text, &read, nullptr);
        EXPECT_EQ("previous", std::string(text, read)) << c.step;
    }
}
