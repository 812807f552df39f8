#include "ui/IntervalOptionsPage.h"


CIntervalOptionsPage::CIntervalOptionsPage(UINT templateId, const IntervalPageControls& controls,
                                           int32_t periodic, int32_t days, int32_t hours,
                                           int32_t minutes, int32_t startup, int32_t order)
    : CPropertyPage(templateId),
      m_periodic(periodic),
      m_days(days),
      m_hours(hours),
      m_minutes(minutes),
      m_startup(startup),
      m_order(order),
      controls_(controls) {}

bool CIntervalOptionsPage::IsChecked(int id) const {
    return IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED;
}

void CIntervalOptionsPage::EnableIntervalControls(BOOL enable) {
    const int ids[] = {controls_.days, controls_.hours, controls_.minutes,
                       controls_.daysSpin, controls_.hoursSpin, controls_.minutesSpin};
    for (int id : ids) EnableWindow(GetDlgItem(id), enable);
}

void CIntervalOptionsPage::ExchangeIntervals(CDataExchange* dx) {
    for (int id : controls_.bindOrder) {
        CSpinButtonCtrl& spin = id == controls_.daysSpin ? m_daysSpin
                              : id == controls_.hoursSpin ? m_hoursSpin : m_minutesSpin;
        DDX_Control(dx, id, spin);
    }
    DDX_Check(dx, controls_.periodic, m_periodic);
    DDX_Text(dx, controls_.days, m_days);
    DDX_Text(dx, controls_.hours, m_hours);
    DDX_Text(dx, controls_.minutes, m_minutes);
    DDX_Check(dx, controls_.startup, m_startup);
}

void CIntervalOptionsPage::SaveOrder() {
    if (IsChecked(controls_.forward)) m_order = 0;
    if (IsChecked(controls_.backward)) m_order = 1;
    if (IsChecked(controls_.random)) m_order = 2;
}

void CIntervalOptionsPage::LoadOrder() {
    const int radios[] = {controls_.forward, controls_.backward, controls_.random};
    CheckOneRadio(radios, 3, m_order);
}

void CIntervalOptionsPage::CheckOneRadio(const int* ids, int count, int32_t index) {
    // Button by button: the ids of a group need not be contiguous.
    for (int i = 0; i < count; ++i)
        CheckDlgButton(m_hWnd, ids[i], i == index ? BST_CHECKED : BST_UNCHECKED);
}

void CIntervalOptionsPage::LoadIntervalState() {
    if (m_periodic == 0) EnableIntervalControls(FALSE);
    const struct { CSpinButtonCtrl& spin; int32_t value; } spins[] = {
        {m_daysSpin, m_days}, {m_hoursSpin, m_hours}, {m_minutesSpin, m_minutes}};
    for (const auto& entry : spins) {
        entry.spin.SetPos(entry.value);
        entry.spin.SetRange(0, 32767);
    }
    // The up-down controls write their clamped 16-bit position into the
    // edits; the edits show the stored values, so confirming keeps them.
    SetDlgItemInt(m_hWnd, controls_.days, static_cast<UINT>(m_days), TRUE);
    SetDlgItemInt(m_hWnd, controls_.hours, static_cast<UINT>(m_hours), TRUE);
    SetDlgItemInt(m_hWnd, controls_.minutes, static_cast<UINT>(m_minutes), TRUE);
}

void CIntervalOptionsPage::OnPeriodicClicked() {
    EnableIntervalControls(IsChecked(controls_.periodic));
}
