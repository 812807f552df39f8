// The About box in this process: its place and picture with the version
// line, its buttons and what they do, its own end, and the button faces
// following the system colours.
#include "res/resource.h"
#include "support/Pixels.h"
#include "support/WaitUntil.h"
#include "ui/AboutBox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

class TestApp : public CWinApp {
public:
    TestApp() : CWinApp("about_tests") {}
};
TestApp g_app;

// Stands in for the program's main window: records the commands it gets
// and whether the box that sent one still existed then.
class RecordingMainWindow : public CWnd {
public:
    std::vector<UINT> commands;
    HWND watchedBox = nullptr;
    bool boxExistedAtCommand = false;

    RecordingMainWindow() { CreateEx(0, AfxRegisterWndClass(0), "main", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr); }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_COMMAND) {
            commands.push_back(LOWORD(wParam));
            boxExistedAtCommand = IsWindow(watchedBox) != FALSE;
            return 0;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

// An About box that tells when it is deleted.
class WatchedAboutBox : public CAboutBox {
public:
    explicit WatchedAboutBox(bool* deleted) : deleted_(deleted) {}
    ~WatchedAboutBox() override { *deleted_ = true; }
private:
    bool* deleted_;
};

BOOL CALLBACK CollectAboutBoxes(HWND window, LPARAM param) {
    if (dynamic_cast<CAboutBox*>(CWnd::FromHandlePermanent(window)))
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    return TRUE;
}

std::vector<HWND> OpenAboutBoxes() {
    std::vector<HWND> boxes;
    EnumThreadWindows(GetCurrentThreadId(), CollectAboutBoxes, reinterpret_cast<LPARAM>(&boxes));
    return boxes;
}

RECT ChildRect(HWND parent, int id) {
    RECT rect{};
    HWND child = GetDlgItem(parent, id);
    if (!child) return rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::string Text(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

bool Inside(const RECT& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

int Luminance(COLORREF c) { return (GetRValue(c) * 3 + GetGValue(c) * 6 + GetBValue(c)) / 10; }

class AboutBoxTest : public ::testing::Test {
protected:
    void SetUp() override { AfxGetApp()->m_pMainWnd = &main_; }
    void TearDown() override {
        for (HWND box : OpenAboutBoxes()) DestroyWindow(box);
        AfxGetApp()->m_pMainWnd = nullptr;
    }

    // Opens a box as the program does, watched for its deletion.
    HWND OpenWatchedBox(bool* deleted) {
        auto* box = new WatchedAboutBox(deleted);
        box->SetVersionText("3.00");
        if (!box->Create(nullptr, WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST)) {
            delete box;
            return nullptr;
        }
        Pump();
        return box->m_hWnd;
    }

    RecordingMainWindow main_;
};

TEST_F(AboutBoxTest, OpensCentredOnTopWithItsPictureVersionLineAndButtons) {
    ASSERT_TRUE(CAboutBox::Show("3.00"));
    std::vector<HWND> boxes = OpenAboutBoxes();
    ASSERT_EQ(1u, boxes.size());
    HWND box = boxes[0];
    Pump();

    RECT rect{};
    GetWindowRect(box, &rect);
    const int left = (GetSystemMetrics(SM_CXSCREEN) - 400) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - 450) / 2;
    EXPECT_EQ(left, rect.left);
    EXPECT_EQ(top, rect.top);
    EXPECT_EQ(400, rect.right - rect.left);
    EXPECT_EQ(450, rect.bottom - rect.top);
    EXPECT_TRUE(IsWindowVisible(box));
    EXPECT_TRUE(GetWindowLongPtrA(box, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_FALSE(GetWindowLongPtrA(box, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_EQ(WS_POPUP, GetWindowLongPtrA(box, GWL_STYLE) & (WS_POPUP | WS_CAPTION | WS_THICKFRAME));
    EXPECT_EQ(main_.m_hWnd, GetWindow(box, GW_OWNER));

    const RECT order = ChildRect(box, IDC_ORDER);
    const RECT carryOn = ChildRect(box, IDC_CONTINUE);
    EXPECT_EQ("94,393,192,430", Text(order));
    EXPECT_EQ("219,393,317,430", Text(carryOn));

    // The picture 1:1, except where the version line is written.
    const Pixels shown = Pixels::OfWindow(box);
    const Pixels picture = Pixels::OfBitmapResource(IDB_ABOUT);
    ASSERT_EQ(400, picture.Width());
    ASSERT_EQ(450, picture.Height());
    RECT text{400, 450, 0, 0};
    int changed = 0, darkest = 255;
    for (int y = 0; y < 450; ++y) {
        for (int x = 0; x < 400; ++x) {
            if (Inside(order, x, y) || Inside(carryOn, x, y)) continue;
            const COLORREF now = shown.At(x, y);
            if (now == picture.At(x, y)) continue;
            ++changed;
            darkest = std::min(darkest, Luminance(now));
            text = RECT{std::min<LONG>(text.left, x), std::min<LONG>(text.top, y),
                        std::max<LONG>(text.right, x + 1), std::max<LONG>(text.bottom, y + 1)};
        }
    }
    ASSERT_GT(changed, 40) << "no version line drawn";
    EXPECT_LT(darkest, 90) << "the version line is drawn in the default (black) text colour";
    EXPECT_GE(text.left, 170);
    EXPECT_LE(text.left, 173);
    EXPECT_GE(text.top, 125);
    EXPECT_LE(text.top, 130);
    EXPECT_LE(text.bottom, 125 + 14);
    // "Version 3.00" in a 14-pixel font: far more than a few letters, well
    // short of the picture's edge.
    EXPECT_GT(text.right - text.left, 45);
    EXPECT_LT(text.right, 290);
}

TEST_F(AboutBoxTest, ContinueClosesAndOrderAsksTheMainWindowFirstEachBoxDeletesItself) {
    bool firstDeleted = false, secondDeleted = false;
    HWND first = OpenWatchedBox(&firstDeleted);
    HWND second = OpenWatchedBox(&secondDeleted);
    ASSERT_TRUE(first && second);
    EXPECT_NE(first, second);
    EXPECT_EQ(2u, OpenAboutBoxes().size());
    HWND firstButtons[] = {GetDlgItem(first, IDC_ORDER), GetDlgItem(first, IDC_CONTINUE)};

    // Continue: the box goes, the main window hears nothing.
    SendMessageA(GetDlgItem(first, IDC_CONTINUE), BM_CLICK, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return firstDeleted; }));
    EXPECT_FALSE(IsWindow(first));
    for (HWND button : firstButtons) EXPECT_FALSE(IsWindow(button));
    EXPECT_TRUE(main_.commands.empty());
    EXPECT_TRUE(IsWindow(second));
    EXPECT_FALSE(secondDeleted);

    // Order: the main window is asked to open the order page while the box
    // is still there, then the box goes.
    main_.watchedBox = second;
    SendMessageA(GetDlgItem(second, IDC_ORDER), BM_CLICK, 0, 0);
    ASSERT_EQ(std::vector<UINT>{ID_ORDER}, main_.commands);
    EXPECT_TRUE(main_.boxExistedAtCommand);
    EXPECT_TRUE(PumpUntil([&] { return secondDeleted; }));
    EXPECT_FALSE(IsWindow(second));
}

// Restores the system colours a test changed.
class SysColourChange {
public:
    SysColourChange(std::vector<int> elements, std::vector<COLORREF> colours) : elements_(std::move(elements)) {
        for (int element : elements_) saved_.push_back(GetSysColor(element));
        SetSysColors(static_cast<int>(elements_.size()), elements_.data(), colours.data());
    }
    ~SysColourChange() { SetSysColors(static_cast<int>(elements_.size()), elements_.data(), saved_.data()); }
private:
    std::vector<int> elements_;
    std::vector<COLORREF> saved_;
};

// Counts the face pixels that do not show the system colour standing for
// the face picture's standard colour; other colours must show unchanged.
int WrongFacePixels(const Pixels& button, const Pixels& face, POINT at, int shift = 0) {
    int wrong = 0;
    for (int y = 0; y < face.Height(); ++y) {
        for (int x = 0; x < face.Width(); ++x) {
            const COLORREF standard = face.At(x, y);
            COLORREF expected = standard;
            if (standard == RGB(0, 0, 0)) expected = GetSysColor(COLOR_BTNTEXT);
            if (standard == RGB(128, 128, 128)) expected = GetSysColor(COLOR_BTNSHADOW);
            if (standard == RGB(192, 192, 192)) expected = GetSysColor(COLOR_BTNFACE);
            if (standard == RGB(255, 255, 255)) expected = GetSysColor(COLOR_BTNHIGHLIGHT);
            if (button.At(at.x + shift + x, at.y + shift + y) != expected) ++wrong;
        }
    }
    return wrong;
}

TEST_F(AboutBoxTest, FacesAreDrawnInTheSystemColoursAndFollowAChange) {
    bool deleted = false;
    HWND box = OpenWatchedBox(&deleted);
    ASSERT_TRUE(box);
    HWND button = GetDlgItem(box, IDC_CONTINUE);
    const Pixels face = Pixels::OfBitmapResource(IDB_CONTINUE);
    ASSERT_EQ(85, face.Width());
    ASSERT_EQ(19, face.Height());
    // The picture is centred in the button less 3 pixels at the right and
    // the bottom: (98 - 3 - 85) / 2, (37 - 3 - 19) / 2.
    const POINT at{5, 7};

    Pixels shown = Pixels::OfWindow(button);
    EXPECT_EQ(0, WrongFacePixels(shown, face, at));
    EXPECT_EQ(GetSysColor(COLOR_BTNHIGHLIGHT), shown.At(0, 0));
    EXPECT_EQ(GetSysColor(COLOR_WINDOWFRAME), shown.At(97, 36));
    EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), shown.At(96, 35));

    // Pushed: the frame turns over and the picture moves one pixel.
    SendMessageA(button, BM_SETSTATE, TRUE, 0);
    UpdateWindow(button);
    shown = Pixels::OfWindow(button);
    EXPECT_EQ(GetSysColor(COLOR_WINDOWFRAME), shown.At(0, 0));
    EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), shown.At(1, 1));
    EXPECT_EQ(GetSysColor(COLOR_BTNHIGHLIGHT), shown.At(97, 36));
    EXPECT_EQ(0, WrongFacePixels(shown, face, at, 1));
    SendMessageA(button, BM_SETSTATE, FALSE, 0);

    {
        SysColourChange change({COLOR_BTNFACE, COLOR_BTNTEXT, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT},
                               {RGB(214, 232, 200), RGB(90, 20, 60), RGB(70, 110, 90), RGB(250, 250, 210)});
        // The system tells top-level windows; the box passes it on.
        Pump();
        UpdateWindow(button);
        shown = Pixels::OfWindow(button);
        EXPECT_EQ(RGB(214, 232, 200), shown.At(at.x, at.y));
        EXPECT_EQ(0, WrongFacePixels(shown, face, at));
    }
    Pump();
}

}  // namespace
