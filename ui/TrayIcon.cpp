#include "ui/TrayIcon.h"

#include "framework/Handle.h"
#include "framework/ModalLoop.h"
#include "framework/WinApp.h"

#include <cstring>

#ifndef _WIN64
static_assert(CTrayIcon::kNotifyRecordSize == 488, "notify record layout");
#endif
static_assert(sizeof(NOTIFYICONDATAA{}.szTip) == CTrayIcon::kMaxTipLength + 1, "tip field size");

namespace {

// Broadcast by the shell when it has (re)created the taskbar.
UINT TaskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageA("TaskbarCreated");
    return message;
}

// Shell versions before 4 have no notification area.
bool HasNotificationArea() {
    return LOBYTE(LOWORD(GetVersion())) >= 4;
}

}  // namespace

IMPLEMENT_DYNAMIC(CTrayIcon, CWnd)

CTrayIcon::~CTrayIcon() {
    RemoveIcon();
    DestroyWindow();
    popupMenu_.DestroyMenu();
}

void CTrayIcon::RemoveIcon() {
    if (enabled_) {
        data_.uFlags = 0;
        Shell_NotifyIconA(NIM_DELETE, &data_);
        enabled_ = false;
    }
    data_.cbSize = 0;  // so OnTaskbarCreated does not add it again
}

bool CTrayIcon::Create(CWnd* parent, UINT callbackMessage, const char* tip, HICON icon, UINT id) {
    if (!HasNotificationArea()) {
        enabled_ = false;
        return false;
    }
    // Make sure the registered message exists before the shell can send it.
    TaskbarCreatedMessage();
    if (!CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr)) return false;

    data_ = NOTIFYICONDATAA{};
    data_.cbSize = kNotifyRecordSize;
    data_.hWnd = parent && parent->m_hWnd ? parent->m_hWnd : m_hWnd;
    data_.uID = id;
    data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data_.uCallbackMessage = callbackMessage;
    data_.hIcon = icon;
    CopyTip(tip);
    enabled_ = Shell_NotifyIconA(NIM_ADD, &data_) != FALSE;
    return enabled_;
}

void CTrayIcon::CopyTip(const char* text) {
    if (!text) text = "";
    // Cut at the field's size, and never inside a double-byte character.
    const char* end = text;
    while (*end) {
        const char* next = CharNextA(end);
        if (static_cast<size_t>(next - text) > kMaxTipLength) break;
        end = next;
    }
    const size_t length = static_cast<size_t>(end - text);
    std::memcpy(data_.szTip, text, length);
    data_.szTip[length] = '\0';
}

bool CTrayIcon::SetTipText(const char* text) {
    if (!enabled_) return false;
    data_.uFlags = NIF_TIP;
    CopyTip(text);
    return Shell_NotifyIconA(NIM_MODIFY, &data_) != FALSE;
}

bool CTrayIcon::SetDefaultMenuItem(UINT item, bool byPosition) {
    if (item == defaultItem_ && byPosition == defaultByPosition_) return true;
    defaultItem_ = item;
    defaultByPosition_ = byPosition;

    // Applied to the popup of each click; here only the resource is looked for.
    return FindResourceA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(data_.uID), RT_MENU) != nullptr;
}

LRESULT CTrayIcon::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (data_.uCallbackMessage != 0 && message == data_.uCallbackMessage)
        return OnIconNotification(wParam, lParam);
    if (message != 0 && message == TaskbarCreatedMessage()) {
        OnTaskbarCreated();
        return 0;
    }
    return DefWindowProc(message, wParam, lParam);
}

void CTrayIcon::OnTaskbarCreated() {
    if (data_.cbSize == 0) return;  // never added, or removed
    data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    // A shell that still knows the icon refuses to add it twice.
    enabled_ = Shell_NotifyIconA(NIM_ADD, &data_) || Shell_NotifyIconA(NIM_MODIFY, &data_);
}

LRESULT CTrayIcon::OnIconNotification(WPARAM wParam, LPARAM lParam) {
    if (wParam != data_.uID) return 0;
    CWnd* target = AfxGetMainWnd();
    switch (LOWORD(lParam)) {
        case WM_RBUTTONUP:
            return target && target->m_hWnd ? ShowPopupMenu(*target) : 0;
        case WM_LBUTTONDBLCLK:
            return target && target->m_hWnd ? RunDefaultCommand(*target) : 0;
        default:
            return 1;
    }
}

LRESULT CTrayIcon::ShowPopupMenu(CWnd& target) {
    // The menu loop dispatches further notifications: one arriving while the
    // popup is open must not replace the menu being tracked.
    if (popupMenu_.GetSafeHmenu()) return 0;
    if (!popupMenu_.LoadMenu(data_.uID)) return 0;
    HMENU popup = popupMenu_.GetSubMenu(0);
    if (!popup) {
        popupMenu_.DestroyMenu();
        return 0;
    }
    SetMenuDefaultItem(popup, defaultItem_, defaultByPosition_);
    POINT cursor{};
    GetCursorPos(&cursor);
    target.SetForegroundWindow();
    {
        // The menu's loop dispatches what arrives meanwhile (an Exit posted
        // by the installer): the frame, and this icon with it, must outlive it.
        const ModalLoop menuLoop(ModalLoop::Kind::Menu);
        TrackPopupMenu(popup, 0, cursor.x, cursor.y, 0, target.m_hWnd, nullptr);
    }
    // Lets the menu close properly when the user clicks elsewhere.
    target.PostMessage(WM_NULL, 0, 0);
    popupMenu_.DestroyMenu();
    return 1;
}

LRESULT CTrayIcon::RunDefaultCommand(CWnd& target) {
    if (popupMenu_.GetSafeHmenu()) return 0;
    target.SetForegroundWindow();
    UINT command = defaultItem_;
    if (defaultByPosition_) {
        if (!popupMenu_.LoadMenu(data_.uID)) return 0;
        HMENU popup = popupMenu_.GetSubMenu(0);
        if (popup) command = GetMenuItemID(popup, static_cast<int>(defaultItem_));
        popupMenu_.DestroyMenu();
        if (!popup) return 0;
    }
    // Sent, not posted: the command has run when the notification returns.
    target.SendMessage(WM_COMMAND, command, 0);
    return 1;
}
