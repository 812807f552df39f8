#include "ui/VistalSetOptionsPage.h"

#include "res/resource.h"
#include "settings/Settings.h"

namespace {

const IntervalPageControls kControls = {
    IDC_SET_PERIODIC,
    IDC_SET_DAYS, IDC_SET_HOURS, IDC_SET_MINUTES,
    IDC_SET_DAYS_SPIN, IDC_SET_HOURS_SPIN, IDC_SET_MINUTES_SPIN,
    IDC_SET_STARTUP,
    IDC_SET_FORWARD, IDC_SET_BACKWARD, IDC_SET_RANDOM,
    {IDC_SET_HOURS_SPIN, IDC_SET_MINUTES_SPIN, IDC_SET_DAYS_SPIN},
};

}  // namespace

IMPLEMENT_DYNAMIC(CVistalSetOptionsPage, CPropertyPage)

BEGIN_MESSAGE_MAP(CVistalSetOptionsPage, CIntervalOptionsPage)
    ON_BN_CLICKED(IDC_SET_PERIODIC, OnPeriodicClicked)
END_MESSAGE_MAP()

CVistalSetOptionsPage::CVistalSetOptionsPage()
    : CIntervalOptionsPage(IDD_VISTAL_SET_OPTIONS, kControls, Settings.VistalSetPeriodic,
                           Settings.VistalSetDays, Settings.VistalSetHours,
                           Settings.VistalSetMinutes, Settings.VistalSetStartup,
                           Settings.VistalSetCycleMethod) {}

void CVistalSetOptionsPage::DoDataExchange(CDataExchange* dx) {
    ExchangeIntervals(dx);
    if (dx->m_bSaveAndValidate) {
        SaveOrder();
    } else {
        LoadOrder();
        LoadIntervalState();
    }
}
