// The program's icon in the notification area: a hidden popup window that
// receives the shell's notifications and hands the tray menu's commands to
// the application's main window.
#pragma once

#include "framework/Wnd.h"
#include "ui/OwnerDrawMenu.h"

#include <shellapi.h>

class CTrayIcon : public CWnd {
    DECLARE_DYNAMIC(CTrayIcon)
public:
    // The notify record in the layout with balloon fields but without the
    // later additions: 488 bytes in a 32-bit program.
    static constexpr DWORD kNotifyRecordSize = NOTIFYICONDATAA_V2_SIZE;
    // Longest tip the record holds, without its terminator.
    static constexpr size_t kMaxTipLength = 127;

    CTrayIcon() = default;
    // Removes the icon.
    ~CTrayIcon() override;

    // Adds the icon; the menu resource with the icon's identifier is the
    // popup menu. Without a parent the hidden window gets the notifications.
    bool Create(CWnd* parent, UINT callbackMessage, const char* tip, HICON icon, UINT id);
    // Longer tips are cut to kMaxTipLength characters.
    bool SetTipText(const char* text);
    // The popup's default item, by position or by command, applied each time
    // the popup is loaded; false when the menu resource is missing (the
    // values are kept all the same).
    bool SetDefaultMenuItem(UINT item, bool byPosition);

    // Takes the icon out of the notification area for good (the destructor
    // does the same): a restarted shell does not get it back.
    void RemoveIcon();

    // The menu of the notification being handled; empty otherwise.
    COwnerDrawMenu& PopupMenu() noexcept { return popupMenu_; }
    // What the shell was last told, tip included: the shell cannot be asked.
    const NOTIFYICONDATAA& NotifyRecord() const noexcept { return data_; }

    virtual LRESULT OnIconNotification(WPARAM wParam, LPARAM lParam);
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void CopyTip(const char* text);
    // A restarted shell has forgotten the icon: add it again.
    void OnTaskbarCreated();
    LRESULT ShowPopupMenu(CWnd& target);
    LRESULT RunDefaultCommand(CWnd& target);

    bool enabled_ = false;
    NOTIFYICONDATAA data_{};
    UINT defaultItem_ = 0;
    bool defaultByPosition_ = true;
    COwnerDrawMenu popupMenu_;
};
