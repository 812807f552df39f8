// The "Vistal" page: when and in which order the picture changes, how it is
// fitted to the screen, and whether each monitor shows a picture of its own.
#pragma once

#include "ui/IntervalOptionsPage.h"

class CVistalOptionsPage : public CIntervalOptionsPage {
    DECLARE_DYNAMIC(CVistalOptionsPage)
    DECLARE_MESSAGE_MAP()
public:
    // Starts from the current settings.
    CVistalOptionsPage();

    int32_t m_position;   // "VistalPosition"
    int32_t m_perScreen;  // "VistalPerScreen"

protected:
    void DoDataExchange(CDataExchange* dx) override;
};
