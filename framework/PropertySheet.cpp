#include "PropertySheet.h"

#include "Gdi.h"
#include "DynamicLibrary.h"
#include "WinApp.h"

#include <cassert>

// ---- CPropertyPage --------------------------------------------------------

IMPLEMENT_DYNAMIC(CPropertyPage, CDialog)

BEGIN_MESSAGE_MAP(CPropertyPage, CDialog)
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

LRESULT CPropertyPage::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG && sheet_) sheet_->window_ = ::GetParent(m_hWnd);
    if (message == WM_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        LRESULT result = 0;
        bool handled = true;
        switch (header->code) {
        case PSN_KILLACTIVE:
            result = OnKillActive() ? FALSE : TRUE;
            break;
        case PSN_APPLY:
            // Apply stays disabled (no page marks itself changed), so an
            // apply notice means the sheet was confirmed.
            if (sheet_) sheet_->confirmed_ = true;
            result = PSNRET_NOERROR;
            break;
        default:
            handled = false;
        }
        if (handled) {
            // Some sheets read the answer from the dialog's result slot.
            SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
            return result;
        }
    }
    return CDialog::WindowProc(message, wParam, lParam);
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

IMPLEMENT_DYNAMIC(CPropertySheet, CObject)

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
    const CommonControls controls(ICC_UPDOWN_CLASS | ICC_TAB_CLASSES);
    using PropertySheetFn = INT_PTR(WINAPI*)(LPCPROPSHEETHEADERA);
    const auto propertySheet = controls.Library().Entry<PropertySheetFn>("PropertySheetA");
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
    ReleaseCachedScreenBuffers();
    window_ = nullptr;
    (void)result;  // its value differs between versions; the pages know
    return confirmed_ ? IDOK : IDCANCEL;
}
