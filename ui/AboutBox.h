// The About box: the program's picture with its version and two buttons,
// Order and Continue. Modeless and topmost; each box deletes itself once
// its window is gone, so any number may be open.
#pragma once

#include "PictureButton.h"
#include "SplashWindow.h"
#include "framework/DynamicLibrary.h"

class CAboutBox : public CSplashWindow {
    DECLARE_MESSAGE_MAP()
public:
    // Opens a new box showing "Version <versionText>" and returns at once;
    // false when it cannot be made.
    static bool Show(const char* versionText);

    CAboutBox();
    void SetVersionText(const char* text) { versionText_ = text; }

    // The box with its Order and Continue buttons. Once it succeeds the
    // object belongs to its window, which deletes it when it is destroyed.
    BOOL Create(CWnd* owner, DWORD style, DWORD exStyle) override;

    // Where the version line is written.
    static constexpr POINT kVersionPoint{170, 125};

protected:
    void OnPaint();
    void PostNcDestroy() override;

private:
    void OnOrder();
    void OnContinue();
    void OnDrawItem(int id, LPDRAWITEMSTRUCT item);
    LRESULT OnSysColorChange(WPARAM, LPARAM);
    bool CreateButton(CPictureButton& button, UINT pictureId, UINT id, POINT at);

    CString versionText_;
    // The buttons are system buttons, which the program's manifest takes from
    // the common controls: the box holds them while it is open (they outlive
    // the buttons), so they go with the box instead of staying for the rest
    // of the run.
    CommonControls commonControls_{ICC_STANDARD_CLASSES};
    CPictureButton order_;
    CPictureButton continue_;
    // Set once the window exists: from then on the window owns the object.
    bool deleteWithWindow_ = false;
};
