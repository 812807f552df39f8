#include "ui/TooltipOptionsPage.h"

#include "res/resource.h"
#include "settings/Settings.h"

IMPLEMENT_DYNAMIC(CTooltipOptionsPage, CPropertyPage)

BEGIN_MESSAGE_MAP(CTooltipOptionsPage, CPropertyPage)
END_MESSAGE_MAP()

CTooltipOptionsPage::CTooltipOptionsPage()
    : CPropertyPage(IDD_TOOLTIP_OPTIONS),
      m_showTimeLeft(Settings.ShowTimeLeft),
      m_showFileName(Settings.ShowFileName) {}

void CTooltipOptionsPage::DoDataExchange(CDataExchange* dx) {
    DDX_Check(dx, IDC_SHOW_TIME_LEFT, m_showTimeLeft);
    DDX_Check(dx, IDC_SHOW_FILENAME, m_showFileName);
}
