// Windows in the framework's style: one static window procedure finds the
// object and hands each message to its message map. framework/README.md
// follows one message from the system to its handler.
#pragma once

#include "CString.h"
#include "CmdTarget.h"

class CWnd : public CCmdTarget {
    DECLARE_DYNAMIC(CWnd)
    DECLARE_MESSAGE_MAP()
public:
    HWND m_hWnd = nullptr;

    CWnd() = default;
    ~CWnd() override;

    // The object that handles the messages of `window`, or null for a window
    // no object of ours has taken over.
    static CWnd* FromHandlePermanent(HWND window);

    // Looks at an existing window (a control) without taking it over: its
    // messages do not pass through this object, which never destroys it.
    void Attach(HWND window) noexcept;
    // Takes an existing window (a dialog, a control) over: its messages go
    // through this object's message map and unhandled ones on to the
    // window's own procedure. Undone when the window is destroyed.
    BOOL SubclassWindow(HWND window);
    // True when the class has handlers of its own in a message map, so that
    // a window bound to it must be subclassed rather than attached.
    bool HandlesMessages() const;

    BOOL CreateEx(DWORD exStyle, const char* className, const char* title, DWORD style,
                  int x, int y, int width, int height, HWND parent, HMENU menu);
    virtual BOOL DestroyWindow();

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse);
    BOOL KillTimer(UINT_PTR id);
    BOOL SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }

    virtual void WinHelp(DWORD_PTR data, UINT command = HELP_CONTEXT);

    // Message hook: dispatches through the message map; override to see
    // every message first.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Default handling of the message being dispatched.
    LRESULT Default();
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    // The framework's window procedure, for classes registered by us.
    static LRESULT CALLBACK StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    // Called after the last message; frames delete themselves here.
    virtual void PostNcDestroy() {}

    // Default handlers, reached when a map names them without overriding.
    int OnCreate(LPCREATESTRUCT) { return static_cast<int>(Default()); }
    void OnDestroy() { Default(); }
    void OnTimer(UINT_PTR) { Default(); }
    void OnPaint() { Default(); }
    void OnMeasureItem(int, LPMEASUREITEMSTRUCT) { Default(); }
    void OnDrawItem(int, LPDRAWITEMSTRUCT) { Default(); }
    void OnInitMenuPopup(HMENU, UINT, BOOL) { Default(); }
    LRESULT OnMenuChar(UINT, UINT, HMENU) { return Default(); }

    // Runs WindowProc for one message; exceptions stop here.
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

private:
    // Makes this object the one FromHandlePermanent finds, and undoes it
    // (restoring a subclassed window's own procedure).
    void Bind(HWND window);
    void Unbind();

    struct CurrentMessage { UINT message; WPARAM wParam; LPARAM lParam; };
    CurrentMessage current_{};
    // The class's own procedure of a subclassed control; null otherwise.
    WNDPROC superProc_ = nullptr;
    // Messages of this window being handled now, nested ones included.
    int dispatchDepth_ = 0;
    // The window is gone; PostNcDestroy waits for the outermost handling.
    bool ncDestroyPending_ = false;
};

// The whole text of `window`, of any length; empty for none.
CString WindowText(HWND window);

// Registers (once) and names a window class served by the framework.
const char* AfxRegisterWndClass(UINT classStyle, HCURSOR cursor = nullptr,
                                HBRUSH background = nullptr, HICON icon = nullptr);
