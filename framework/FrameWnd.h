// Top-level frame window: created from a resource id, routes commands to
// itself and then to the application, updates menus through CCmdUI.
#pragma once

#include "Handle.h"
#include "Wnd.h"

// Frame style bit: title shows the document name. Kept for callers that
// pass it; it is not a window style and is removed before creation.
#define FWS_ADDTOTITLE 0x00008000L

class CFrameWnd : public CWnd {
    DECLARE_MESSAGE_MAP()
public:
    // Creates the frame with the icon, menu and title (the text before the
    // first '\n' of the string) of resource `resourceId`. The window is
    // created hidden.
    virtual BOOL LoadFrame(UINT resourceId, DWORD style = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                           CWnd* parent = nullptr);
    // Puts `menu` (or none) on the frame in place of its menu, which is
    // destroyed. The frame owns its menu and destroys it with its window.
    void SetFrameMenu(MenuHandle menu);

    BOOL OnCmdMsg(UINT id, int code, CCmdUI* ui) override;
    BOOL HasCommandHandler(UINT id) const override;

protected:
    // Frames live on the heap and delete themselves after their last message.
    void PostNcDestroy() override { delete this; }

    int OnCreate(LPCREATESTRUCT create);
    // Runs the command-update handlers for every item of `popup`.
    void OnInitMenuPopup(HMENU popup, UINT index, BOOL isSystemMenu);
    // Closes the frame once no modal loop of ours runs on its thread; open
    // ones are cancelled first.
    void OnClose();
    void OnDestroy();

private:
    // Held here rather than by the window, which would destroy it on its own.
    MenuHandle menu_;
    // Rounds of cancelling that one close has waited through.
    int closeRounds_ = 0;
};
