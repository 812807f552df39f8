// Message maps, command routing from frame to application, update handlers,
// control wrappers, and the exception barrier of the window procedure.
#include "framework/Afx.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

std::vector<std::string> g_calls;

class TestApp : public CWinApp {
    DECLARE_MESSAGE_MAP()
public:
    TestApp() : CWinApp("RoutingTest") {}
private:
    void OnAppCommand() { g_calls.push_back("app:500"); }
    void OnShadowed() { g_calls.push_back("app:501"); }
};

BEGIN_MESSAGE_MAP(TestApp, CWinApp)
    ON_COMMAND(500, OnAppCommand)
    ON_COMMAND(501, OnShadowed)
END_MESSAGE_MAP()

class BaseFrame : public CFrameWnd {
    DECLARE_MESSAGE_MAP()
protected:
    void OnBaseCommand() { g_calls.push_back("base:600"); }
    LRESULT OnPrivate(WPARAM w, LPARAM l) {
        g_calls.push_back("base:private");
        return static_cast<LRESULT>(w + l);
    }
};

BEGIN_MESSAGE_MAP(BaseFrame, CFrameWnd)
    ON_COMMAND(600, OnBaseCommand)
    ON_MESSAGE(WM_USER + 7, OnPrivate)
END_MESSAGE_MAP()

class TestFrame : public BaseFrame {
    DECLARE_MESSAGE_MAP()
public:
    bool enable502 = false;
    int timerTicks = 0;
private:
    void OnFrameCommand() { g_calls.push_back("frame:501"); }
    void OnUpdate502(CCmdUI* ui) { ui->Enable(enable502); }
    void OnCommand502() {}
    void OnTimer(UINT_PTR id) { timerTicks += static_cast<int>(id); }
    // Overrides the base's private-message handler through the derived map.
    LRESULT OnPrivate(WPARAM, LPARAM) {
        g_calls.push_back("frame:private");
        return 42;
    }
};

BEGIN_MESSAGE_MAP(TestFrame, BaseFrame)
    ON_COMMAND(501, OnFrameCommand)
    ON_COMMAND(502, OnCommand502)
    ON_UPDATE_COMMAND_UI(502, OnUpdate502)
    ON_WM_TIMER()
    ON_MESSAGE(WM_USER + 7, OnPrivate)
END_MESSAGE_MAP()

TestApp g_app;

class RoutingTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_calls.clear();
        g_app.InitApplication(GetModuleHandleA(nullptr));
        frame_ = new TestFrame;
        ASSERT_TRUE(frame_->LoadFrame(128));
        g_app.m_pMainWnd = frame_;
    }
    void TearDown() override {
        if (g_app.m_pMainWnd) frame_->DestroyWindow();  // the frame deletes itself
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {}  // drop WM_QUIT
    }
    UINT StateOf(HMENU menu, int index) { return GetMenuState(menu, index, MF_BYPOSITION); }
    TestFrame* frame_ = nullptr;
};

}  // namespace

TEST_F(RoutingTest, CommandsReachFrameFirstThenBaseThenApplication) {
    frame_->SendMessage(WM_COMMAND, 501);
    frame_->SendMessage(WM_COMMAND, 600);
    frame_->SendMessage(WM_COMMAND, 500);
    frame_->SendMessage(WM_COMMAND, 999);  // nobody's: ignored
    EXPECT_EQ((std::vector<std::string>{"frame:501", "base:600", "app:500"}), g_calls);
}

TEST_F(RoutingTest, DerivedMapWinsForWindowMessages) {
    EXPECT_EQ(42, frame_->SendMessage(WM_USER + 7, 1, 2));
    EXPECT_EQ((std::vector<std::string>{"frame:private"}), g_calls);
    frame_->SendMessage(WM_TIMER, 5);
    EXPECT_EQ(5, frame_->timerTicks);
}

TEST_F(RoutingTest, UpdateHandlersAndAutomaticEnabling) {
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, 500, "app");        // handler in the application
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, 502, "updated");    // update handler decides
    AppendMenuA(menu, MF_STRING, 777, "orphan");     // no handler anywhere
    frame_->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
    EXPECT_FALSE(StateOf(menu, 0) & MF_GRAYED);
    EXPECT_TRUE(StateOf(menu, 2) & MF_GRAYED);
    EXPECT_TRUE(StateOf(menu, 3) & MF_GRAYED);

    frame_->enable502 = true;
    frame_->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
    EXPECT_FALSE(StateOf(menu, 2) & MF_GRAYED);

    // The system menu is left alone.
    EnableMenuItem(menu, 0, MF_BYPOSITION | MF_GRAYED);
    frame_->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(0, TRUE));
    EXPECT_TRUE(StateOf(menu, 0) & MF_GRAYED);
    DestroyMenu(menu);
}

TEST_F(RoutingTest, FrameIsHiddenTitledAndEndsTheLoopWhenClosed) {
    EXPECT_FALSE(IsWindowVisible(frame_->m_hWnd));
    char title[32] = {};
    GetWindowTextA(frame_->m_hWnd, title, sizeof title);
    EXPECT_STREQ("Vistals", title);
    EXPECT_EQ(frame_, CWnd::FromHandlePermanent(frame_->m_hWnd));
    HWND window = frame_->m_hWnd;
    frame_->SendMessage(WM_COMMAND, ID_APP_EXIT);  // the application closes its main window
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(nullptr, g_app.m_pMainWnd);
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(RoutingTest, ForeignWindowsHaveNoObject) {
    HWND button = CreateWindowA("BUTTON", "x", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(button));
    DestroyWindow(button);
}

// A heap window that closes itself from inside one of its own messages and
// notes whether it was deleted while that message was still being handled.
class SelfDeletingWindow : public CWnd {
public:
    static bool deletedInsideAHandler;
    static bool deleted;
    SelfDeletingWindow() { CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr); }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        ++depth_;
        const LRESULT result = CWnd::WindowProc(message, wParam, lParam);  // WM_CLOSE destroys the window
        --depth_;
        return result;
    }
protected:
    void PostNcDestroy() override {
        deletedInsideAHandler = depth_ > 0;
        deleted = true;
        delete this;
    }
private:
    int depth_ = 0;
};
bool SelfDeletingWindow::deletedInsideAHandler = false;
bool SelfDeletingWindow::deleted = false;

TEST(WindowLifetime, AWindowClosedFromItsOwnMessageIsDeletedOnlyAfterThatMessage) {
    auto* window = new SelfDeletingWindow;  // deletes itself with its window
    HWND handle = window->m_hWnd;
    ASSERT_TRUE(handle);
    SendMessageA(handle, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_TRUE(SelfDeletingWindow::deleted);
    EXPECT_FALSE(SelfDeletingWindow::deletedInsideAHandler);
}

namespace {

// A control class with a handler of its own.
class CountingButton : public CWnd {
    DECLARE_MESSAGE_MAP()
public:
    int clicks = 0;
private:
    LRESULT OnClick(WPARAM, LPARAM) {
        ++clicks;
        return 0;
    }
};

BEGIN_MESSAGE_MAP(CountingButton, CWnd)
    ON_MESSAGE(BM_CLICK, OnClick)
END_MESSAGE_MAP()

}  // namespace

TEST(DataExchange, APlainWrapperOnlyLooksAndAClassWithHandlersSubclasses) {
    HWND parent = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    HWND combo = CreateWindowA("COMBOBOX", "", WS_CHILD | CBS_DROPDOWNLIST, 0, 0, 50, 80, parent,
                               reinterpret_cast<HMENU>(1), nullptr, nullptr);
    HWND button = CreateWindowA("BUTTON", "", WS_CHILD, 0, 0, 10, 10, parent, reinterpret_cast<HMENU>(2), nullptr,
                                nullptr);
    const LONG_PTR comboProc = GetWindowLongPtrA(combo, GWLP_WNDPROC);
    CDialog dialog;
    dialog.m_hWnd = parent;
    {
        CComboBox view;
        CountingButton handler;
        CDataExchange dx(&dialog, FALSE);
        DDX_Control(&dx, 1, view);
        DDX_Control(&dx, 2, handler);
        EXPECT_EQ(combo, view.m_hWnd);
        EXPECT_EQ(0, view.AddString("one"));
        EXPECT_EQ(comboProc, GetWindowLongPtrA(combo, GWLP_WNDPROC)) << "a plain wrapper does not subclass";
        EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(combo));
        SendMessageA(button, BM_CLICK, 0, 0);
        EXPECT_EQ(1, handler.clicks);
        DestroyWindow(button);  // a handler's window may end first
    }
    EXPECT_TRUE(IsWindow(combo)) << "a plain wrapper never destroys what it looks at";
    EXPECT_EQ(1, SendMessageA(combo, CB_GETCOUNT, 0, 0));
    dialog.m_hWnd = nullptr;
    DestroyWindow(parent);
}

namespace {

// What the process writes with OutputDebugString, read the way a debugger's
// output window reads it: through the shared DBWIN buffer and its events.
class DebugOutput {
public:
    DebugOutput()
        : mutex_(CreateMutexA(nullptr, FALSE, "DBWinMutex")),
          bufferReady_(CreateEventA(nullptr, FALSE, TRUE, "DBWIN_BUFFER_READY")),
          dataReady_(CreateEventA(nullptr, FALSE, FALSE, "DBWIN_DATA_READY")),
          buffer_(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, "DBWIN_BUFFER")),
          view_(static_cast<const char*>(MapViewOfFile(buffer_.get(), FILE_MAP_READ, 0, 0, 4096))) {}
    ~DebugOutput() { if (view_) UnmapViewOfFile(view_); }

    // The texts written so far; each one is taken as it arrives.
    std::string Taken() {
        std::string all;
        while (view_ && WaitForSingleObject(dataReady_.get(), 0) == WAIT_OBJECT_0) {
            all += view_ + sizeof(DWORD);  // after the writer's process id
            SetEvent(bufferReady_.get());
        }
        return all;
    }

private:
    KernelHandle mutex_, bufferReady_, dataReady_, buffer_;
    const char* view_;
};

class ThrowingWindow : public CWnd {
    DECLARE_MESSAGE_MAP()
public:
    bool throwOnCreate = false;
private:
    int OnCreate(LPCREATESTRUCT) {
        if (throwOnCreate) throw std::runtime_error("no room for the window");
        return 0;
    }
    LRESULT OnHitTest(WPARAM, LPARAM) { throw std::bad_alloc(); }
};

BEGIN_MESSAGE_MAP(ThrowingWindow, CWnd)
    ON_WM_CREATE()
    ON_MESSAGE(WM_NCHITTEST, OnHitTest)
END_MESSAGE_MAP()

}  // namespace

TEST(ExceptionBarrier, AHandlerThatThrowsIsReportedAndItsMessageFails) {
    ThrowingWindow refused, window;
    refused.throwOnCreate = true;
    BOOL refusedCreated = FALSE, created = FALSE;
    LRESULT hit = -1;
    std::string createReport, hitReport;
    {
        // Closed before anything is checked: the test framework writes its
        // failures to the debug output too, and would wait for this reader.
        DebugOutput output;
        refusedCreated = refused.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr);
        createReport = output.Taken();
        created = window.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr);
        if (created) hit = window.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(5, 5));
        hitReport = output.Taken();
    }
    EXPECT_FALSE(refusedCreated) << "a window whose creation threw is not made";
    EXPECT_NE(std::string::npos, createReport.find("no room for the window")) << createReport;
    ASSERT_TRUE(created);
    // The default answer would be HTCLIENT; a failed message answers 0.
    EXPECT_EQ(0, hit);
    EXPECT_NE(std::string::npos, hitReport.find("0x0084")) << hitReport;
}
