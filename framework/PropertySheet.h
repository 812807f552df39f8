// Modal property sheets: the sheet holds pointers to its pages (owned by
// whoever derives from it) and runs them through PropertySheetA. Each page
// is a dialog of the framework, attached at its WM_INITDIALOG.
#pragma once

#include "CString.h"
#include "Dialog.h"

#include <windows.h>
#include <commctrl.h>

#include <vector>

class CPropertySheet;

class CPropertyPage : public CDialog {
    DECLARE_DYNAMIC(CPropertyPage)
    DECLARE_MESSAGE_MAP()
public:
    explicit CPropertyPage(UINT templateId);

    // The page record handed to the system; callers may adjust it before
    // the sheet runs.
    PROPSHEETPAGEA m_psp{};

protected:
    // Called when the page is left or the sheet is confirmed: saves and
    // validates; FALSE keeps the page open.
    virtual BOOL OnKillActive();
    // The sheet ends itself: OK and Cancel reaching a page do nothing.
    void OnOK() override {}
    void OnCancel() override {}

private:
    friend class CPropertySheet;
    // The sheet's notifications.
    void OnKillActiveNotify(NMHDR*, LRESULT* result);
    void OnApplyNotify(NMHDR*, LRESULT* result);

    CPropertySheet* sheet_ = nullptr;

    static INT_PTR CALLBACK PageDialogProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam);
};

class CPropertySheet : public CObject {
public:
    explicit CPropertySheet(const char* caption, CWnd* parent = nullptr, UINT selectPage = 0);
    ~CPropertySheet() override = default;

    // The sheet's header; callers may add flags (PSH_NOAPPLYNOW) before
    // DoModal. DoModal fills in the pages, caption and size.
    PROPSHEETHEADERA m_psh{};

    // Pages are shown in the order they are added; the sheet does not own them.
    void AddPage(CPropertyPage* page);

    // Runs the sheet; IDOK when it was confirmed, else IDCANCEL.
    virtual INT_PTR DoModal();

private:
    friend class CPropertyPage;
    CString caption_;
    std::vector<CPropertyPage*> pages_;
    std::vector<PROPSHEETPAGEA> records_;
    bool confirmed_ = false;
};
