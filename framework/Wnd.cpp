#include "Wnd.h"

#include "Gdi.h"
#include "WinApp.h"

#include <cassert>
#include <cstdio>
#include <exception>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace {

// The object of each of our windows hangs on the window as a property, so
// foreign windows (whose user data we must not read) answer null.
const char kObjectProperty[] = "Vistals.CWnd";

// Reports a message whose handling threw, in the debug output; the answer
// refuses a window's creation and is 0 for anything else.
LRESULT FailedMessage(UINT message, const char* what) {
    char text[256];
    std::snprintf(text, sizeof text, "Vistals: handling message 0x%04X failed: %s\n", message, what);
    OutputDebugStringA(text);
    return message == WM_CREATE ? -1 : 0;
}

}  // namespace

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

CWnd::~CWnd() {
    // A window this object handles goes with it; one it only looks at stays.
    if (m_hWnd && FromHandlePermanent(m_hWnd) == this) DestroyWindow();
}

CWnd* CWnd::FromHandlePermanent(HWND window) {
    return window ? static_cast<CWnd*>(GetPropA(window, kObjectProperty)) : nullptr;
}

void CWnd::Attach(HWND window) noexcept {
    assert(!m_hWnd || FromHandlePermanent(m_hWnd) != this);
    m_hWnd = window;
}

void CWnd::Bind(HWND window) {
    m_hWnd = window;
    SetPropA(window, kObjectProperty, this);
}

void CWnd::Unbind() {
    if (m_hWnd) {
        RemovePropA(m_hWnd, kObjectProperty);
        if (superProc_) SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(superProc_));
    }
    superProc_ = nullptr;
    m_hWnd = nullptr;
}

BOOL CWnd::SubclassWindow(HWND window) {
    assert(window && (!m_hWnd || FromHandlePermanent(m_hWnd) != this));
    if (FromHandlePermanent(window)) return FALSE;
    Bind(window);
    superProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::StaticWindowProc)));
    if (!superProc_) {
        Unbind();
        return FALSE;
    }
    return TRUE;
}

bool CWnd::HandlesMessages() const {
    return GetMessageMap() != CWnd::GetThisMessageMap();
}

BOOL CWnd::CreateEx(DWORD exStyle, const char* className, const char* title, DWORD style,
                    int x, int y, int width, int height, HWND parent, HMENU menu) {
    assert(!m_hWnd);
    HWND window = CreateWindowExA(exStyle, className, title, style, x, y, width, height, parent,
                                  menu, AfxGetInstanceHandle(), this);
    return window != nullptr;
}

BOOL CWnd::DestroyWindow() {
    return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    assert(m_hWnd);
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    assert(m_hWnd);
    return ::PostMessageA(m_hWnd, message, wParam, lParam);
}

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapse) {
    assert(m_hWnd);
    return ::SetTimer(m_hWnd, id, elapse, nullptr);
}

BOOL CWnd::KillTimer(UINT_PTR id) {
    assert(m_hWnd);
    return ::KillTimer(m_hWnd, id);
}

void CWnd::WinHelp(DWORD_PTR data, UINT command) {
    if (CWinApp* app = AfxGetApp()) app->WinHelp(data, command);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (superProc_) return CallWindowProcA(superProc_, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() {
    return DefWindowProc(current_.message, current_.wParam, current_.lParam);
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    (void)lParam;
    return OnCmdMsg(LOWORD(wParam), CN_COMMAND, nullptr);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && OnCommand(wParam, lParam)) return 0;
    if (message != WM_COMMAND) {
        if (const MessageMapEntry* entry = GetMessageMap()->Find(message, 0, 0))
            return entry->handler(this, wParam, lParam);
    }
    return DefWindowProc(message, wParam, lParam);
}

LRESULT CWnd::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    const CurrentMessage saved = current_;
    current_ = {message, wParam, lParam};
    LRESULT result = 0;
    // Nothing may unwind through the system's window procedure: a handler
    // that throws is reported and its message fails.
    try {
        result = WindowProc(message, wParam, lParam);
    } catch (const std::exception& failure) {
        result = FailedMessage(message, failure.what());
    } catch (...) {
        result = FailedMessage(message, "an unknown exception");
    }
    current_ = saved;
    return result;
}

LRESULT CALLBACK CWnd::StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* self = FromHandlePermanent(window);
    if (!self && message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        self = static_cast<CWnd*>(create->lpCreateParams);
        if (self) self->Bind(window);
    }
    if (!self) return ::DefWindowProcA(window, message, wParam, lParam);

    const bool topLevelGoes = message == WM_NCDESTROY && !(GetWindowLongA(window, GWL_STYLE) & WS_CHILD);
    ++self->dispatchDepth_;
    const LRESULT result = self->Dispatch(message, wParam, lParam);
    --self->dispatchDepth_;
    if (message == WM_NCDESTROY) {
        self->Unbind();
        self->ncDestroyPending_ = true;
    }
    // A modeless window's screen buffers go with it; a modal one's also as
    // its loop ends (ModalLoop).
    if (topLevelGoes) ReleaseCachedScreenBuffers();
    // A window destroyed while one of its own messages is still being
    // handled (WM_CLOSE destroys it from inside) lets that handling finish
    // with the object intact; the object may delete itself only then.
    if (self->ncDestroyPending_ && self->dispatchDepth_ == 0) {
        self->ncDestroyPending_ = false;
        self->PostNcDestroy();
    }
    return result;
}

CString WindowText(HWND window) {
    const int length = window ? GetWindowTextLengthA(window) : 0;
    if (length <= 0) return CString();
    std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
    const int got = GetWindowTextA(window, text.data(), length + 1);
    return CString(text.data(), got > 0 ? got : 0);
}

const char* AfxRegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon) {
    static std::mutex lock;
    static std::set<std::string> names;  // keeps each registered name alive

    char name[96];
    std::snprintf(name, sizeof name, "Vistals:%x:%p:%p:%p", classStyle,
                  static_cast<void*>(cursor), static_cast<void*>(background), static_cast<void*>(icon));

    std::lock_guard<std::mutex> guard(lock);
    auto found = names.find(name);
    if (found != names.end()) return found->c_str();

    WNDCLASSA wc{};
    wc.style = classStyle;
    wc.lpfnWndProc = &CWnd::StaticWindowProc;
    wc.hInstance = AfxGetInstanceHandle();
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.hIcon = icon;
    wc.lpszClassName = name;
    if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
    return names.insert(name).first->c_str();
}
