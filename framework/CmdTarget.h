// Message maps and command routing.
//
// A class that handles messages declares DECLARE_MESSAGE_MAP() and lists its
// handlers between BEGIN_MESSAGE_MAP and END_MESSAGE_MAP. Each entry is a
// small capture-free lambda, so handler signatures are checked by the compiler
// and handlers may stay private.
#pragma once

#include "CObject.h"

#include <windows.h>

class CCmdTarget;
class CCmdUI;

// Notification codes carried through OnCmdMsg.
enum : int { CN_COMMAND = 0, CN_UPDATE_COMMAND_UI = -1 };

struct MessageMapEntry {
    UINT message;  // window message, or WM_COMMAND for commands and updates
    int code;      // CN_COMMAND / CN_UPDATE_COMMAND_UI, or a control notification code
                   // (WM_COMMAND, WM_NOTIFY entries)
    UINT id;       // command or control identifier (WM_COMMAND, WM_NOTIFY entries)
    LRESULT (*handler)(CCmdTarget* target, WPARAM wParam, LPARAM lParam);
};

struct MessageMap {
    const MessageMap* (*base)();
    const MessageMapEntry* entries;  // ends with a null handler

    // First entry for `message` (and, for commands, `code` and `id`) in this
    // map or its bases; null when none.
    const MessageMapEntry* Find(UINT message, int code, UINT id) const;
};

class CCmdTarget : public CObject {
    DECLARE_DYNAMIC(CCmdTarget)
public:
    // Runs the handler for command `id` (CN_COMMAND) or its update handler
    // (CN_UPDATE_COMMAND_UI, with `ui`); TRUE when a handler ran.
    virtual BOOL OnCmdMsg(UINT id, int code, CCmdUI* ui);
    // TRUE when this target's routing has a handler for the command.
    virtual BOOL HasCommandHandler(UINT id) const;

    static const MessageMap* GetThisMessageMap();
protected:
    virtual const MessageMap* GetMessageMap() const { return GetThisMessageMap(); }
};

// Menu item state handed to command-update handlers.
class CCmdUI {
public:
    UINT m_nID = 0;
    UINT m_nIndex = 0;
    HMENU m_hMenu = nullptr;
    bool m_bEnableChanged = false;

    void Enable(BOOL on = TRUE);
    void SetCheck(int check = 1);

    // Asks `target` for the state; without an update handler the item is
    // enabled exactly when a command handler exists (when asked to).
    void DoUpdate(CCmdTarget* target, bool disableIfNoHandler);
};

#define DECLARE_MESSAGE_MAP()                                 \
public:                                                       \
    static const MessageMap* GetThisMessageMap();             \
protected:                                                    \
    const MessageMap* GetMessageMap() const override { return GetThisMessageMap(); }

#define BEGIN_MESSAGE_MAP(TheClass, TheBase)                  \
    const MessageMap* TheClass::GetThisMessageMap() {         \
        using ThisClass [[maybe_unused]] = TheClass;          \
        using BaseClass = TheBase;                            \
        static const MessageMapEntry entries[] = {

#define END_MESSAGE_MAP()                                                     \
            {0, 0, 0, nullptr}};                                              \
        static const MessageMap map = {&BaseClass::GetThisMessageMap, entries}; \
        return &map;                                                          \
    }

#define VISTALS_HANDLER(body) \
    [](CCmdTarget* target_, WPARAM wParam_, LPARAM lParam_) -> LRESULT { \
        (void)wParam_; (void)lParam_;                                    \
        ThisClass* self_ = static_cast<ThisClass*>(target_);             \
        body                                                             \
    }

#define ON_COMMAND(id, memberFn) \
    {WM_COMMAND, CN_COMMAND, (id), VISTALS_HANDLER(self_->memberFn(); return 0;)},
#define ON_UPDATE_COMMAND_UI(id, memberFn)                                \
    {WM_COMMAND, CN_UPDATE_COMMAND_UI, (id),                              \
     VISTALS_HANDLER(self_->memberFn(reinterpret_cast<CCmdUI*>(lParam_)); return 0;)},
#define ON_MESSAGE(message, memberFn) \
    {(message), 0, 0, VISTALS_HANDLER(return self_->memberFn(wParam_, lParam_);)},
#define ON_WM_CREATE() \
    {WM_CREATE, 0, 0, VISTALS_HANDLER(return self_->OnCreate(reinterpret_cast<LPCREATESTRUCT>(lParam_));)},
#define ON_WM_DESTROY() \
    {WM_DESTROY, 0, 0, VISTALS_HANDLER(self_->OnDestroy(); return 0;)},
#define ON_WM_CLOSE() \
    {WM_CLOSE, 0, 0, VISTALS_HANDLER(self_->OnClose(); return 0;)},
#define ON_WM_TIMER() \
    {WM_TIMER, 0, 0, VISTALS_HANDLER(self_->OnTimer(static_cast<UINT_PTR>(wParam_)); return 0;)},
#define ON_WM_PAINT() \
    {WM_PAINT, 0, 0, VISTALS_HANDLER(self_->OnPaint(); return 0;)},
#define ON_WM_MEASUREITEM()                                                    \
    {WM_MEASUREITEM, 0, 0, VISTALS_HANDLER(                                    \
        self_->OnMeasureItem(static_cast<int>(wParam_),                        \
                             reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam_));  \
        return TRUE;)},
#define ON_WM_DRAWITEM()                                                       \
    {WM_DRAWITEM, 0, 0, VISTALS_HANDLER(                                       \
        self_->OnDrawItem(static_cast<int>(wParam_),                           \
                          reinterpret_cast<LPDRAWITEMSTRUCT>(lParam_));        \
        return TRUE;)},
#define ON_WM_INITMENUPOPUP()                                                  \
    {WM_INITMENUPOPUP, 0, 0, VISTALS_HANDLER(                                  \
        self_->OnInitMenuPopup(reinterpret_cast<HMENU>(wParam_), LOWORD(lParam_), \
                               HIWORD(lParam_));                               \
        return 0;)},
#define ON_WM_MENUCHAR()                                                       \
    {WM_MENUCHAR, 0, 0, VISTALS_HANDLER(                                       \
        return self_->OnMenuChar(LOWORD(wParam_), HIWORD(wParam_),             \
                                 reinterpret_cast<HMENU>(lParam_));)},
