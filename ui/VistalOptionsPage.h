// The "Vistal" page: when and in which order the picture changes, and how
// it is fitted to the screen.
#pragma once

#include "ui/IntervalOptionsPage.h"

class CVistalOptionsPage : public CIntervalOptionsPage {
    DECLARE_DYNAMIC(CVistalOptionsPage)
    DECLARE_MESSAGE_MAP()
public:
    // Starts from the current settings.
    CVistalOptionsPage();

    int32_t m_position;  // "VistalPosition"

protected:
    void DoDataExchange(CDataExchange* dx) override;
};
