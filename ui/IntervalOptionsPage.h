// What the "Vistal Set" and "Vistal" pages share: a periodic check box with
// day, hour and minute edits and their up-down controls, a start-up check
// box and an order radio group (forward, backward, random).
#pragma once

#include "framework/Controls.h"
#include "framework/PropertySheet.h"

#include <stdint.h>

struct IntervalPageControls {
    int periodic;
    int days, hours, minutes;
    int daysSpin, hoursSpin, minutesSpin;
    int startup;
    int forward, backward, random;
    // The up-down controls in the order the page binds them.
    int bindOrder[3];
};

class CIntervalOptionsPage : public CPropertyPage {
public:
    int32_t m_periodic;
    int32_t m_days;
    int32_t m_hours;
    int32_t m_minutes;
    int32_t m_startup;
    int32_t m_order;
    CSpinButtonCtrl m_daysSpin;
    CSpinButtonCtrl m_hoursSpin;
    CSpinButtonCtrl m_minutesSpin;

    // Enables or greys the three edits and their up-down controls.
    void EnableIntervalControls(BOOL enable);

protected:
    CIntervalOptionsPage(UINT templateId, const IntervalPageControls& controls, int32_t periodic,
                         int32_t days, int32_t hours, int32_t minutes, int32_t startup,
                         int32_t order);

    // The up-down controls, the periodic check, the three edits, the
    // start-up check.
    void ExchangeIntervals(CDataExchange* dx);
    // Saving: each checked order radio overwrites the member in turn, so
    // with none checked it keeps its value.
    void SaveOrder();
    void LoadOrder();
    // Loading, after the radios: greys the interval controls when the
    // periodic flag is off, then sets the up-down controls.
    void LoadIntervalState();
    void OnPeriodicClicked();

    bool IsChecked(int id) const;
    // Checks the radio ids[index] and clears the others; none when the
    // index is out of range.
    void CheckOneRadio(const int* ids, int count, int32_t index);

private:
    const IntervalPageControls& controls_;
};
