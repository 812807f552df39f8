// A push button showing a picture from the resources, drawn in the user's
// button colours: black, dark grey, light grey and white in the picture
// become the button text, shadow, face and highlight colours.
#pragma once

#include "OwnerDrawButton.h"

class CPictureButton : public COwnerDrawButton {
    DECLARE_MESSAGE_MAP()
public:
    enum class Alignment {
        PictureOnly,  // the picture centred, no text
    };

    // Fails when bitmap `pictureId` is missing or the window cannot be made.
    BOOL Create(const char* caption, DWORD style, Alignment alignment, UINT pictureId, const RECT& rect,
                CWnd* parent, UINT id);
    // Resizes the button around its picture, keeping its place.
    void SizeToContent();

    void DrawItem(const DRAWITEMSTRUCT& item) override;

    static constexpr int kMarginX = 5;
    static constexpr int kMarginY = 5;

private:
    bool LoadPicture();
    void Layout();
    LRESULT OnSysColorChange(WPARAM, LPARAM);
    LRESULT OnSize(WPARAM, LPARAM);

    BitmapHandle picture_;
    UINT pictureId_ = 0;
    SIZE pictureSize_{};
    RECT pictureRect_{};
};
