// The "Options" property sheet: the four pages that edit every setting.
// Nothing reaches the settings until the opener calls ApplyOptions after OK.
#pragma once

#include "framework/PropertySheet.h"
#include "ui/CalendarOptionsPage.h"
#include "ui/TooltipOptionsPage.h"
#include "ui/VistalOptionsPage.h"
#include "ui/VistalSetOptionsPage.h"

class COptionsSheet : public CPropertySheet {
public:
    // The pages start from the current settings; no parent window, first
    // page first. Callers hide Apply with m_psh.dwFlags |= PSH_NOAPPLYNOW.
    explicit COptionsSheet(const char* caption);
    ~COptionsSheet() override;

    // Copies every page into the settings, derives the interval totals
    // from them, and writes them to the registry at once, so a confirmed
    // choice survives a crash. Pages never shown copy back their initial
    // values.
    void ApplyOptions();

    // Constructed in this order.
    CVistalSetOptionsPage m_vistalSetPage;
    CVistalOptionsPage m_vistalPage;
    CTooltipOptionsPage m_tooltipPage;
    CCalendarOptionsPage m_calendarPage;
};
