#include "ui/CalendarOptionsPage.h"

#include "framework/WinApp.h"
#include "res/resource.h"
#include "settings/Settings.h"
#include "ui/CalendarPlacement.h"
#include "wallpaper/CodecBinding.h"
#include "wallpaper/Monitors.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Combo box entries; the index is the stored "CalendarPosition".
const char* const kPositionNames[] = {"No calendar", "Center",     "Upper left",
                                      "Upper right", "Lower left", "Lower right"};

const int kNumberEdits[] = {IDC_CALENDAR_WIDTH, IDC_CALENDAR_HEIGHT, IDC_CALENDAR_MARGIN_X,
                            IDC_CALENDAR_MARGIN_Y};

PenHandle SolidGeometricPen(int width, COLORREF colour) {
    LOGBRUSH brush{BS_SOLID, colour, 0};
    return PenHandle(ExtCreatePen(PS_GEOMETRIC | PS_SOLID, static_cast<DWORD>(width), &brush, 0, nullptr));
}

}  // namespace

IMPLEMENT_DYNAMIC(CCalendarOptionsPage, CPropertyPage)

BEGIN_MESSAGE_MAP(CCalendarOptionsPage, CPropertyPage)
    ON_WM_ERASEBKGND()
    ON_CBN_SELCHANGE(IDC_CALENDAR_POSITION, OnPreviewChanged)
    ON_EN_CHANGE(IDC_CALENDAR_WIDTH, OnPreviewChanged)
    ON_EN_CHANGE(IDC_CALENDAR_HEIGHT, OnPreviewChanged)
    ON_EN_CHANGE(IDC_CALENDAR_MARGIN_X, OnPreviewChanged)
    ON_EN_CHANGE(IDC_CALENDAR_MARGIN_Y, OnPreviewChanged)
END_MESSAGE_MAP()

CCalendarOptionsPage::CCalendarOptionsPage()
    : CPropertyPage(IDD_CALENDAR_OPTIONS),
      m_position(Settings.CalendarPosition),
      m_width(Settings.CalendarWidth),
      m_height(Settings.CalendarHeight),
      m_marginX(Settings.CalendarMarginX),
      m_marginY(Settings.CalendarMarginY),
      m_gridLines(Settings.CalendarGridLines),
      m_usHolidays(Settings.CalendarUSHolidays),
      m_transparentBackground(Settings.CalendarTransparentBackground) {}

SIZE CCalendarOptionsPage::ScreenSize() {
    ScopedGetDC screen(nullptr);
    return {GetDeviceCaps(screen.get(), HORZRES), GetDeviceCaps(screen.get(), VERTRES)};
}

int32_t CCalendarOptionsPage::ReadNumber(int id) const {
    return CalendarNumberFromText(WindowText(::GetDlgItem(m_hWnd, id)));
}

BOOL CCalendarOptionsPage::OnInitDialog() {
    CPropertyPage::OnInitDialog();

    char wallpaper[260] = {};
    SystemParametersInfoA(SPI_GETDESKWALLPAPER, sizeof wallpaper, wallpaper, 0);

    // The page paints the frame's area itself.
    HWND frame = GetDlgItem(IDC_CALENDAR_PREVIEW);
    GetClientRect(frame, &m_rcPreview);
    MapWindowPoints(frame, m_hWnd, reinterpret_cast<POINT*>(&m_rcPreview), 2);
    ::DestroyWindow(frame);

    if (wallpaper[0] && TheImageLibrary)
        MakePreviewImage(wallpaper, m_rcPreview.right - m_rcPreview.left,
                         m_rcPreview.bottom - m_rcPreview.top);
    return TRUE;
}

void CCalendarOptionsPage::MakePreviewImage(const char* wallpaper, int width, int height) {
    ImageLibrary& codec = *TheImageLibrary;
    CodecImage picture(&codec, 0);
    int32_t reserved = 0;
    if (codec.OpenImage(wallpaper, picture.put(), &reserved) != IMAGE_OK) return;
    if (codec.ReadImage(picture.get()) != IMAGE_OK) return;
    codec.CloseSource(picture.get());
    ImageInfo info{};
    info.structSize = sizeof info;
    if (codec.GetImageInfo(picture.get(), &info) != IMAGE_OK) info.width = width, info.height = height;
    // A wallpaper over several monitors is scaled so that the primary's
    // part, where the calendar goes, fills the preview.
    const RECT part = PrimaryPartOfWallpaper({info.width, info.height});
    const int64_t partWidth = std::max<LONG>(1, part.right - part.left);
    const int64_t partHeight = std::max<LONG>(1, part.bottom - part.top);
    CodecImage scaled(&codec, 0);
    codec.ResizeImage(picture.get(), scaled.put(), static_cast<int32_t>(width * int64_t{info.width} / partWidth),
                      static_cast<int32_t>(height * int64_t{info.height} / partHeight), 1);
    if (scaled && codec.CheckImage(scaled.get()) == IMAGE_OK) {
        m_previewImage = std::move(scaled);
        const LONG left = static_cast<LONG>(part.left * width / partWidth);
        const LONG top = static_cast<LONG>(part.top * height / partHeight);
        m_rcPreviewSource = {left, top, left + width, top + height};
        return;
    }
    // No scaled copy: the picture itself is painted, its primary's part.
    m_previewImage = std::move(picture);
    m_rcPreviewSource = part;
}

void CCalendarOptionsPage::DoDataExchange(CDataExchange* dx) {
    DDX_Control(dx, IDC_CALENDAR_POSITION, m_positionCombo);
    DDX_Check(dx, IDC_CALENDAR_GRID_LINES, m_gridLines);
    DDX_Check(dx, IDC_CALENDAR_US_HOLIDAYS, m_usHolidays);
    DDX_Check(dx, IDC_CALENDAR_TRANSPARENT, m_transparentBackground);

    int32_t* const numbers[] = {&m_width, &m_height, &m_marginX, &m_marginY};
    if (!dx->m_bSaveAndValidate) {
        m_positionCombo.ResetContent();
        for (const char* name : kPositionNames) m_positionCombo.AddString(name);
        m_positionCombo.SetCurSel(m_position);
        for (int i = 0; i < 4; ++i) {
            unsigned shown = static_cast<uint32_t>(*numbers[i]);
            DDX_Text(dx, kNumberEdits[i], shown);
        }
        return;
    }

    m_position = m_positionCombo.GetCurSel();
    for (int i = 0; i < 4; ++i) *numbers[i] = ReadNumber(kNumberEdits[i]);

    const SIZE screen = ScreenSize();
    switch (CheckCalendar(m_position, m_width, m_height, m_marginX, m_marginY, screen.cx, screen.cy)) {
        case CalendarProblem::None:
            return;
        case CalendarProblem::Width:
            Refuse(dx, IDC_CALENDAR_WIDTH, "The calendar width must be between 1 and %d", screen.cx);
        case CalendarProblem::Height:
            Refuse(dx, IDC_CALENDAR_HEIGHT, "The calendar height must be between 1 and %d", screen.cy);
        case CalendarProblem::MarginX:
            Refuse(dx, IDC_CALENDAR_MARGIN_X, "Margin x must be between 0 and %d", screen.cx - m_width);
        case CalendarProblem::MarginY:
            Refuse(dx, IDC_CALENDAR_MARGIN_Y, "Margin y must be between 0 and %d", screen.cy - m_height);
    }
}

void CCalendarOptionsPage::Refuse(CDataExchange* dx, int id, const char* format, int number) {
    char text[128];
    std::snprintf(text, sizeof text, format, number);
    AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
    HWND edit = dx->PrepareEditCtrl(id);
    ::SendMessageA(edit, EM_SETSEL, 0, -1);
    ::SendMessageA(edit, EM_SCROLLCARET, 0, 0);
    dx->Fail();
}

void CCalendarOptionsPage::DrawPreview() {
    ScopedGetDC dc(m_hWnd);
    if (!dc.get()) return;

    if (m_previewImage) {
        m_previewImage.library()->DrawImage(m_previewImage.get(), dc.get(), &m_rcPreview, &m_rcPreviewSource, 0, 0);
    } else {
        BrushHandle desktop(CreateSolidBrush(GetSysColor(COLOR_BACKGROUND)));
        PenHandle outline = SolidGeometricPen(1, RGB(0, 0, 0));
        ScopedSelectObject selectBrush(dc.get(), desktop.get());
        ScopedSelectObject selectPen(dc.get(), outline.get());
        Rectangle(dc.get(), m_rcPreview.left, m_rcPreview.top, m_rcPreview.right, m_rcPreview.bottom);
    }

    // The box follows what is typed, not what is stored.
    const SIZE screen = ScreenSize();
    m_width = ReadNumber(IDC_CALENDAR_WIDTH);
    m_height = ReadNumber(IDC_CALENDAR_HEIGHT);
    m_marginX = ReadNumber(IDC_CALENDAR_MARGIN_X);
    m_marginY = ReadNumber(IDC_CALENDAR_MARGIN_Y);
    const int position = m_positionCombo.m_hWnd ? m_positionCombo.GetCurSel() : -1;

    CalendarOnScreen calendar{};
    if (!PlaceCalendarOnScreen(position, m_width, m_height, m_marginX, m_marginY, screen.cx,
                               screen.cy, &calendar))
        return;
    if (calendar.left < 0 || calendar.right > screen.cx || calendar.top < 0 || calendar.bottom > screen.cy)
        return;

    const RECT box = PreviewCalendarBox(calendar, screen.cx, screen.cy, m_rcPreview);
    BrushHandle white(CreateSolidBrush(RGB(255, 255, 255)));
    FillRect(dc.get(), &box, white.get());
    PenHandle outline = SolidGeometricPen(2, RGB(0, 0, 0));
    ScopedSelectObject selectPen(dc.get(), outline.get());
    Rectangle(dc.get(), box.left, box.top, box.right, box.bottom);
}

BOOL CCalendarOptionsPage::OnEraseBkgnd(HDC) {
    Default();
    DrawPreview();
    return TRUE;
}

void CCalendarOptionsPage::OnPreviewChanged() {
    if (m_hWnd) InvalidateRect(m_hWnd, &m_rcPreview, TRUE);
}
