// The "Vistal Set" page: when and in which order the image set changes.
#pragma once

#include "ui/IntervalOptionsPage.h"

class CVistalSetOptionsPage : public CIntervalOptionsPage {
    DECLARE_DYNAMIC(CVistalSetOptionsPage)
    DECLARE_MESSAGE_MAP()
public:
    // Starts from the current settings.
    CVistalSetOptionsPage();

protected:
    void DoDataExchange(CDataExchange* dx) override;
};
