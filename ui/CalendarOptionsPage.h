// The "Calendar" page: where the month calendar goes on the wallpaper, its
// size and margins, three drawing flags, and a preview of the wallpaper with
// a white box where the calendar will be.
#pragma once

#include "framework/Controls.h"
#include "framework/PropertySheet.h"
#include "wallpaper/CodecImage.h"

#include <stdint.h>

class CCalendarOptionsPage : public CPropertyPage {
    DECLARE_DYNAMIC(CCalendarOptionsPage)
    DECLARE_MESSAGE_MAP()
public:
    // Starts from the current settings.
    CCalendarOptionsPage();

    int32_t m_position;
    int32_t m_width;
    int32_t m_height;
    int32_t m_marginX;
    int32_t m_marginY;
    int32_t m_gridLines;
    int32_t m_usHolidays;
    int32_t m_transparentBackground;
    CComboBox m_positionCombo;

    CodecImage m_previewImage;
    // The preview's place on the page (client coordinates) and the part of
    // the preview image painted into it.
    RECT m_rcPreview{};
    RECT m_rcPreviewSource{};

    void DrawPreview();

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;

private:
    void MakePreviewImage(const char* wallpaper, int width, int height);
    // The screen's size in pixels.
    static SIZE ScreenSize();
    int32_t ReadNumber(int id) const;
    // Reports a refused value and keeps the focus in its edit.
    [[noreturn]] void Refuse(CDataExchange* dx, int id, const char* format, int number);

    BOOL OnEraseBkgnd(HDC dc);
    void OnPreviewChanged();
};
