// The "Tooltip" page: what the tray tooltip shows.
#pragma once

#include "framework/PropertySheet.h"

#include <stdint.h>

class CTooltipOptionsPage : public CPropertyPage {
    DECLARE_DYNAMIC(CTooltipOptionsPage)
    DECLARE_MESSAGE_MAP()
public:
    // Starts from the current settings.
    CTooltipOptionsPage();

    int32_t m_showTimeLeft;
    int32_t m_showFileName;

protected:
    void DoDataExchange(CDataExchange* dx) override;
};
