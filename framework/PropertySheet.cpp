#include "PropertySheet.h"

#include "ModalLoop.h"
#include "WinApp.h"

#include <cassert>

// ---- CPropertyPage --------------------------------------------------------

IMPLEMENT_DYNAMIC(CPropertyPage, CDialog)

// The sheet sends its notifications with no control id.
BEGIN_MESSAGE_MAP(CPropertyPage, CDialog)
    ON_NOTIFY(PSN_KILLACTIVE, 0, OnKillActiveNotify)
    ON_NOTIFY(PSN_APPLY, 0, OnApplyNotify)
END_MESSAGE_MAP()

CPropertyPage::CPropertyPage(UINT templateId) : CDialog(templateId) {
    m_psp.dwSize = sizeof(m_psp);
    m_psp.dwFlags = PSP_DEFAULT;
    m_psp.pszTemplate = MAKEINTRESOURCEA(templateId);
    m_psp.pfnDlgProc = &CPropertyPage::PageDialogProc;
    m_psp.lParam = reinterpret_cast<LPARAM>(this);
}

BOOL CPropertyPage::OnKillActive() {
    return UpdateData(TRUE);
}

void CPropertyPage::OnKillActiveNotify(NMHDR*, LRESULT* result) {
    *result = OnKillActive() ? FALSE : TRUE;  // TRUE keeps the page open
}

void CPropertyPage::OnApplyNotify(NMHDR*, LRESULT* result) {
    // Apply stays disabled (no page marks itself changed), so an apply
    // notice means the sheet was confirmed.
    if (sheet_) sheet_->confirmed_ = true;
    *result = PSNRET_NOERROR;
}

INT_PTR CALLBACK CPropertyPage::PageDialogProc(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
    CDialog* target = nullptr;
    if (message == WM_INITDIALOG) {
        const auto* record = reinterpret_cast<const PROPSHEETPAGEA*>(lParam);
        target = reinterpret_cast<CPropertyPage*>(record->lParam);
    }
    return RouteDialogMessage(target, window, message, wParam, lParam);
}

// ---- CPropertySheet -------------------------------------------------------


CPropertySheet::CPropertySheet(const char* caption, CWnd* parent, UINT selectPage)
    : caption_(caption) {
    m_psh.dwSize = sizeof(m_psh);
    m_psh.dwFlags = PSH_PROPSHEETPAGE;
    m_psh.hwndParent = parent ? parent->m_hWnd : nullptr;
    m_psh.nStartPage = selectPage;
}

void CPropertySheet::AddPage(CPropertyPage* page) {
    assert(page && !page->sheet_);
    page->sheet_ = this;
    pages_.push_back(page);
}

INT_PTR CPropertySheet::DoModal() {
    const ModalLoop loop(ICC_UPDOWN_CLASS | ICC_TAB_CLASSES, false);
    using PropertySheetFn = INT_PTR(WINAPI*)(LPCPROPSHEETHEADERA);
    const auto propertySheet = loop.ControlsLibrary().Entry<PropertySheetFn>("PropertySheetA");
    if (!propertySheet) return IDCANCEL;

    // One block of records, each sizeof apart, as the page records say.
    records_.clear();
    for (CPropertyPage* page : pages_) {
        page->m_psp.hInstance = AfxGetInstanceHandle();
        records_.push_back(page->m_psp);
    }
    m_psh.dwSize = sizeof(m_psh);
    m_psh.dwFlags |= PSH_PROPSHEETPAGE;
    m_psh.dwFlags &= ~static_cast<DWORD>(PSH_MODELESS);
    m_psh.hInstance = AfxGetInstanceHandle();
    m_psh.pszCaption = caption_;
    m_psh.nPages = static_cast<UINT>(records_.size());
    m_psh.ppsp = records_.data();

    confirmed_ = false;
    const INT_PTR result = propertySheet(&m_psh);
    (void)result;  // its value differs between versions; the pages know
    return confirmed_ ? IDOK : IDCANCEL;
}
