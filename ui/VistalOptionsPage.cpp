#include "ui/VistalOptionsPage.h"

#include "res/resource.h"
#include "settings/Settings.h"

namespace {

const IntervalPageControls kControls = {
    IDC_VISTAL_PERIODIC,
    IDC_VISTAL_DAYS, IDC_VISTAL_HOURS, IDC_VISTAL_MINUTES,
    IDC_VISTAL_DAYS_SPIN, IDC_VISTAL_HOURS_SPIN, IDC_VISTAL_MINUTES_SPIN,
    IDC_VISTAL_STARTUP,
    IDC_VISTAL_FORWARD, IDC_VISTAL_BACKWARD, IDC_VISTAL_RANDOM,
    {IDC_VISTAL_MINUTES_SPIN, IDC_VISTAL_HOURS_SPIN, IDC_VISTAL_DAYS_SPIN},
};

// Stored "VistalPosition" values index this table; the radios run Tiled,
// Centered, Fit desktop, Maximum fit on the page.
const int kPositionRadios[] = {IDC_CENTERED, IDC_TILED, IDC_FIT_DESKTOP, IDC_MAXIMUM_FIT};

}  // namespace

IMPLEMENT_DYNAMIC(CVistalOptionsPage, CPropertyPage)

BEGIN_MESSAGE_MAP(CVistalOptionsPage, CIntervalOptionsPage)
    ON_BN_CLICKED(IDC_VISTAL_PERIODIC, OnPeriodicClicked)
END_MESSAGE_MAP()

CVistalOptionsPage::CVistalOptionsPage()
    : CIntervalOptionsPage(IDD_VISTAL_OPTIONS, kControls, Settings.VistalPeriodic,
                           Settings.VistalDays, Settings.VistalHours, Settings.VistalMinutes,
                           Settings.VistalStartup, Settings.VistalCycleMethod),
      m_position(Settings.VistalPosition),
      m_perScreen(Settings.VistalPerScreen) {}

void CVistalOptionsPage::DoDataExchange(CDataExchange* dx) {
    ExchangeIntervals(dx);
    DDX_Check(dx, IDC_PER_SCREEN, m_perScreen);
    if (dx->m_bSaveAndValidate) {
        if (IsChecked(IDC_TILED))
            m_position = POSITION_TILED;
        else if (IsChecked(IDC_CENTERED))
            m_position = POSITION_CENTERED;
        else if (IsChecked(IDC_FIT_DESKTOP))
            m_position = POSITION_FIT_DESKTOP;
        else
            m_position = POSITION_MAXIMUM_FIT;
        SaveOrder();
    } else {
        CheckOneRadio(kPositionRadios, 4, m_position);
        LoadOrder();
        LoadIntervalState();
    }
}
