// A picture for each monitor, composed by the real codec library onto one
// bitmap, and read back the way Windows lays that bitmap over the monitors:
// spanned over the rectangle around them (Windows 8 and later), or tiled
// from the primary monitor's top-left corner (Windows 7).
#include "support/DialogCatcher.h"
#include "support/Registry.h"
#include "support/TestBitmaps.h"
#include "support/TestPaths.h"
#include "wallpaper/CodecBinding.h"
#include "wallpaper/ScreenCanvas.h"
#include "wallpaper/WallpaperWorker.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

// One monitor, the picture it is given (its left and right halves in two
// colours) and where the monitor shows that picture: `content` in the
// monitor's own coordinates, the left colour up to `split`.
struct MonitorCase {
    RECT rect;
    PixelSize picture;
    COLORREF left, right;
    RECT content;
    LONG split;
};

struct LayoutCase {
    const char* name;
    int32_t position;
    std::vector<MonitorCase> monitors;
    size_t pictures = 0;  // how many pictures the change has; 0: one for each monitor
    bool calendar = false;
};

const COLORREF kRed = RGB(200, 40, 40), kBlue = RGB(40, 40, 200), kGreen = RGB(40, 180, 40),
               kYellow = RGB(220, 200, 40), kGrey = RGB(120, 120, 120), kBlack = RGB(0, 0, 0);

const LayoutCase kLayouts[] = {
    {"a smaller monitor left of the primary, Fit Desktop", 2,
     {{{0, 0, 400, 300}, {640, 480}, kRed, kBlue, {0, 0, 400, 300}, 200},
      {{-200, 0, 0, 150}, {320, 240}, kGreen, kYellow, {0, 0, 200, 150}, 100}}},
    {"a monitor above the primary reaching across x = 0", 2,
     {{{0, 0, 400, 300}, {640, 480}, kRed, kBlue, {0, 0, 400, 300}, 200},
      {{-100, -150, 200, 0}, {300, 150}, kGreen, kYellow, {0, 0, 300, 150}, 150}}},
    // 800x400 fills the width at 400x200; 200x100 on a 150x300 portrait
    // monitor becomes 150x75, centred with black above and below.
    {"a portrait monitor beside the primary, Maximum Fit", 3,
     {{{0, 0, 400, 300}, {800, 400}, kRed, kBlue, {0, 50, 400, 250}, 200},
      {{400, -50, 550, 250}, {200, 100}, kGreen, kYellow, {0, 112, 150, 187}, 75}}},
    // A picture wider than its monitor shows its middle; a smaller one sits
    // in the middle of black. Nothing covers the gap between the monitors.
    {"a gap between the monitors, Centered", 0,
     {{{0, 0, 300, 200}, {400, 100}, kRed, kBlue, {0, 50, 300, 150}, 150},
      {{400, 20, 600, 120}, {100, 60}, kGreen, kYellow, {50, 20, 150, 80}, 100}}},
    // A small tile repeats over its monitor; a large picture shows its top
    // left part, all of it from the left half.
    {"Tiled, one picture smaller and one larger than its monitor", 1,
     {{{0, 0, 300, 200}, {80, 50}, kGrey, kGrey, {0, 0, 300, 200}, 0},
      {{-120, 0, 0, 90}, {500, 400}, kGreen, kYellow, {0, 0, 120, 90}, 250}}},
    {"one picture for two monitors: both show it", 2,
     {{{0, 0, 200, 100}, {320, 240}, kRed, kBlue, {0, 0, 200, 100}, 100},
      {{200, 0, 400, 100}, {320, 240}, kRed, kBlue, {0, 0, 200, 100}, 100}},
     1},
    {"the calendar on the primary only", 2,
     {{{0, 0, 400, 300}, {640, 480}, kRed, kBlue, {0, 0, 400, 300}, 200},
      {{400, 0, 700, 200}, {320, 240}, kGreen, kYellow, {0, 0, 300, 200}, 150}},
     0, true},
};
// Lower right, 150x125, margins 30, on the 400x300 primary.
const RECT kCalendarOnPrimary = {220, 145, 370, 270};

// What the composition asks of the display.
std::vector<RECT> gMonitors;
CanvasStyle gStyle = CanvasStyle::Spanned;
std::vector<RECT> Monitors() { return gMonitors; }
CanvasStyle Style() { return gStyle; }
PixelSize PrimarySize() { return SizeOf(gMonitors.front()); }
int32_t TrueColour() { return 32; }

// Closer than `margin` to an edge.
bool Near(LONG a, LONG b, LONG margin) { return std::abs(a - b) < margin; }

// Where Windows takes the pixel it shows at screen point (x, y) from: spanned,
// the bitmap lies over the rectangle around all monitors; tiled, it repeats
// from the primary monitor's top-left corner.
POINT ShownPixel(CanvasStyle style, const RECT& bounds, const RECT& primary, LONG x, LONG y) {
    const LONG width = bounds.right - bounds.left, height = bounds.bottom - bounds.top;
    if (style == CanvasStyle::Spanned) return {x - bounds.left, y - bounds.top};
    return {((x - primary.left) % width + width) % width, ((y - primary.top) % height + height) % height};
}

// A change of the given pictures, which can only be moved into it.
template <class... Pictures>
std::vector<ScreenPicture> Change(Pictures... pictures) {
    std::vector<ScreenPicture> change;
    (change.push_back(std::move(pictures)), ...);
    return change;
}

class ScreenCanvasTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        BindImageLibrary();
        ASSERT_NE(nullptr, TheImageLibrary);
        ASSERT_GE(BmpFormatIndex, 0);
    }

    void SetUp() override {
        folder_ = MakeTempFolder("screen-canvas");
        job_.library = TheImageLibrary;
        job_.writer = FormatTable[static_cast<size_t>(BmpFormatIndex)];
        job_.outputPath = folder_ + "\\vistals.bmp";
        job_.screenSize = PrimarySize;
        job_.screenDepth = TrueColour;
        job_.monitors = Monitors;
        job_.canvasStyle = Style;
    }

    // A picture of two halves, opened as a change opens it.
    ScreenPicture Picture(const std::string& name, PixelSize size, COLORREF left, COLORREF right) {
        const std::string path = folder_ + "\\" + name + ".bmp";
        EXPECT_TRUE(WriteBmp(path, size.width, size.height,
                             [&](int x, int) { return x < size.width / 2 ? left : right; }));
        ScreenPicture picture{path, CodecImage(TheImageLibrary, 0)};
        int32_t reserved = 0;
        EXPECT_EQ(IMAGE_OK, TheImageLibrary->OpenImage(path.c_str(), picture.image.put(), &reserved));
        return picture;
    }

    // Runs one change with no box expected; the bytes written.
    std::string Compose(std::vector<ScreenPicture> pictures) {
        DialogCatcher catcher;
        DeleteFileA(job_.outputPath.c_str());
        EXPECT_TRUE(ComposeChangeRun(std::move(pictures), job_));
        EXPECT_TRUE(catcher.Boxes().empty()) << catcher.Boxes()[0].text;
        return ReadFileBytes(job_.outputPath);
    }

    std::string folder_;
    CompositionJob job_{};
};

}  // namespace

TEST_F(ScreenCanvasTest, EachMonitorShowsItsOwnPictureAndNothingElseIsCovered) {
    for (const LayoutCase& layout : kLayouts) {
        for (CanvasStyle style : {CanvasStyle::Spanned, CanvasStyle::TiledFromPrimary}) {
            const bool spanned = style == CanvasStyle::Spanned;
            SCOPED_TRACE(std::string(layout.name) + (spanned ? ", spanned" : ", tiled from the primary"));
            gStyle = style;
            gMonitors.clear();
            std::vector<ScreenPicture> pictures;
            const size_t given = layout.pictures ? layout.pictures : layout.monitors.size();
            for (size_t i = 0; i < layout.monitors.size(); ++i) {
                const MonitorCase& m = layout.monitors[i];
                gMonitors.push_back(m.rect);
                if (i < given) pictures.push_back(Picture("p" + std::to_string(i), m.picture, m.left, m.right));
            }
            job_.settings.VistalPosition = layout.position;
            job_.settings.CalendarPosition = layout.calendar ? 5 : 0;
            job_.settings.CalendarTransparentBackground = 0;
            Compose(std::move(pictures));

            BmpPixels file;
            ASSERT_TRUE(file.Load(job_.outputPath));
            RECT bounds = gMonitors.front();
            for (const RECT& r : gMonitors) UnionRect(&bounds, &bounds, &r);
            ASSERT_EQ(bounds.right - bounds.left, file.Width());
            ASSERT_EQ(bounds.bottom - bounds.top, file.Height());
            EXPECT_EQ(spanned ? "22" : "0", DesktopValue("WallpaperStyle"));
            EXPECT_EQ(spanned ? "0" : "1", DesktopValue("TileWallpaper"));
            EXPECT_EQ(job_.outputPath, DesktopValue("Wallpaper"));

            // Every fifth screen point: its monitor's picture, or black.
            int calendarPixels = 0, checked = 0;
            bool wrong = false;
            for (LONG y = bounds.top; y < bounds.bottom && !wrong; y += 5) {
                for (LONG x = bounds.left + 2; x < bounds.right; x += 5) {
                    COLORREF expected = kBlack;
                    for (const MonitorCase& m : layout.monitors) {
                        const POINT at = {x - m.rect.left, y - m.rect.top};
                        if (!PtInRect(&m.rect, {x, y})) continue;
                        // Resizing blends the pixels along edges and halves.
                        if (Near(at.x, m.content.left, 4) || Near(at.x, m.content.right, 4) ||
                            Near(at.y, m.content.top, 4) || Near(at.y, m.content.bottom, 4) ||
                            Near(at.x, m.split, 4))
                            expected = CLR_INVALID;
                        else if (PtInRect(&m.content, at))
                            expected = at.x < m.split ? m.left : m.right;
                    }
                    if (expected == CLR_INVALID) continue;
                    const POINT pixel = ShownPixel(style, bounds, gMonitors.front(), x, y);
                    const COLORREF shown = file.At(pixel.x, pixel.y);
                    if (layout.calendar && PtInRect(&kCalendarOnPrimary, {x, y})) {
                        calendarPixels += !ColorsNear(shown, expected, 2);
                        continue;
                    }
                    ++checked;
                    wrong = !ColorsNear(shown, expected, 2);
                    if (wrong) {
                        ADD_FAILURE() << "screen point " << x << "," << y << " shows " << std::hex << shown
                                      << " instead of " << expected;
                        break;
                    }
                }
            }
            if (!wrong) { EXPECT_GT(checked, 1000); }
            if (layout.calendar) { EXPECT_GT(calendarPixels, 100) << "no calendar on the primary"; }
        }
    }
}

TEST_F(ScreenCanvasTest, OneMonitorOrTheOptionOffGivesTheSingleScreenWallpaperByteForByte) {
    gStyle = CanvasStyle::Spanned;
    job_.settings.CalendarPosition = 4;
    for (int32_t position = 0; position <= 3; ++position) {
        SCOPED_TRACE(position);
        job_.settings.VistalPosition = position;
        gMonitors = {{0, 0, 400, 300}};
        const std::string single = ReadFileBytes([&] {
            DialogCatcher catcher;
            EXPECT_TRUE(ComposeWallpaperRun(Picture("a", {250, 500}, kRed, kBlue).image, job_));
            return job_.outputPath;
        }());
        ASSERT_GT(single.size(), 54u);

        job_.settings.VistalPerScreen = 1;
        EXPECT_EQ(single, Compose(Change(Picture("a", {250, 500}, kRed, kBlue))));
        EXPECT_EQ("0", DesktopValue("WallpaperStyle"));
        EXPECT_EQ(position == 1 ? "1" : "0", DesktopValue("TileWallpaper"));

        // Two monitors with the option off: the primary's picture as it
        // always was, the second picture unused.
        gMonitors = {{0, 0, 400, 300}, {-300, 0, 0, 200}};
        job_.settings.VistalPerScreen = 0;
        EXPECT_EQ(single,
                  Compose(Change(Picture("a", {250, 500}, kRed, kBlue), Picture("b", {90, 60}, kGreen, kGreen))));
        job_.settings.VistalPerScreen = 1;
    }
}
