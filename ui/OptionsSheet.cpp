#include "ui/OptionsSheet.h"

#include "settings/Settings.h"


COptionsSheet::COptionsSheet(const char* caption) : CPropertySheet(caption) {
    AddPage(&m_vistalSetPage);
    AddPage(&m_vistalPage);
    AddPage(&m_tooltipPage);
    AddPage(&m_calendarPage);
}

// The pages go with the sheet; the Calendar page frees its preview then.
COptionsSheet::~COptionsSheet() = default;

void COptionsSheet::ApplyOptions() {
    Settings.ShowTimeLeft = m_tooltipPage.m_showTimeLeft;
    Settings.ShowFileName = m_tooltipPage.m_showFileName;

    Settings.VistalSetPeriodic = m_vistalSetPage.m_periodic;
    Settings.VistalSetDays = m_vistalSetPage.m_days;
    Settings.VistalSetHours = m_vistalSetPage.m_hours;
    Settings.VistalSetMinutes = m_vistalSetPage.m_minutes;
    Settings.VistalSetStartup = m_vistalSetPage.m_startup;
    Settings.VistalSetCycleMethod = m_vistalSetPage.m_order;

    Settings.VistalPeriodic = m_vistalPage.m_periodic;
    Settings.VistalDays = m_vistalPage.m_days;
    Settings.VistalHours = m_vistalPage.m_hours;
    Settings.VistalMinutes = m_vistalPage.m_minutes;
    Settings.VistalStartup = m_vistalPage.m_startup;
    Settings.VistalPosition = m_vistalPage.m_position;
    Settings.VistalCycleMethod = m_vistalPage.m_order;
    Settings.VistalPerScreen = m_vistalPage.m_perScreen;

    Settings.CalendarPosition = m_calendarPage.m_position;
    Settings.CalendarWidth = m_calendarPage.m_width;
    Settings.CalendarHeight = m_calendarPage.m_height;
    Settings.CalendarMarginX = m_calendarPage.m_marginX;
    Settings.CalendarMarginY = m_calendarPage.m_marginY;
    Settings.CalendarGridLines = m_calendarPage.m_gridLines;
    Settings.CalendarUSHolidays = m_calendarPage.m_usHolidays;
    Settings.CalendarTransparentBackground = m_calendarPage.m_transparentBackground;

    Settings.DeriveIntervals();
    SaveSettings();
}
