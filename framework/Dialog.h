// Dialogs in the framework's style: a dialog object is attached to its
// window at WM_INITDIALOG and the window is then subclassed with the
// framework's window procedure, so every later message goes through the
// object's message map and unhandled ones reach the dialog manager as usual.
// The same attachment serves dialogs the system creates (property pages, the
// hook of a common dialog).
#pragma once

#include "Wnd.h"

#include <stdint.h>

class CDialog;

// Data exchange between a dialog's controls and its members, in one
// direction per run (m_bSaveAndValidate: controls to members).
class CDataExchange {
public:
    CDataExchange(CDialog* dialog, BOOL saveAndValidate) noexcept
        : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}
    CDataExchange(const CDataExchange&) = delete;
    CDataExchange& operator=(const CDataExchange&) = delete;

    CDialog* const m_pDlgWnd;
    const BOOL m_bSaveAndValidate;

    // The control `id`, remembered as the one a failure puts the focus in.
    HWND PrepareCtrl(int id);
    // The same for an edit: a failure also selects its whole text.
    HWND PrepareEditCtrl(int id);
    // Ends the exchange unsuccessfully; the focus goes to the control
    // prepared last. The dialog stays open.
    [[noreturn]] void Fail();

private:
    HWND lastControl_ = nullptr;
    bool lastIsEdit_ = false;
};

// Thrown by CDataExchange::Fail; caught by UpdateData, never further.
struct DataExchangeFailure {};

// Check box: 0 unchecked, 1 checked, 2 indeterminate.
void DDX_Check(CDataExchange* dx, int id, int& value);
// Integer edits. Saving refuses text that is not an integer of the type's
// range with the framework's standard message.
void DDX_Text(CDataExchange* dx, int id, int& value);
void DDX_Text(CDataExchange* dx, int id, unsigned& value);
// Binds a control wrapper to the control `id`: a plain wrapper only looks at
// the control (attached, never destroyed by it); a class with handlers of its
// own subclasses it.
void DDX_Control(CDataExchange* dx, int id, CWnd& control);

// The framework's message for a refused integer entry; tests read it too.
extern const char kParseIntMessage[];
extern const char kParseUIntMessage[];

class CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)
    DECLARE_MESSAGE_MAP()
public:
    explicit CDialog(UINT templateId = 0, CWnd* parent = nullptr) noexcept
        : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

    // Runs the dialog of template m_nIDTemplate; the EndDialog result, or
    // -1 when the dialog could not be created.
    virtual INT_PTR DoModal();
    void EndDialog(INT_PTR result);

    // Runs DoDataExchange in one direction; FALSE when it failed.
    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    HWND GetDlgItem(int id) const;

    // Routes one message of a dialog procedure or hook. `initTarget` is the
    // object a WM_INITDIALOG names (through its lParam); it is attached then.
    // Returns what a dialog procedure returns.
    static INT_PTR RouteDialogMessage(CDialog* initTarget, HWND window, UINT message,
                                      WPARAM wParam, LPARAM lParam);

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

protected:
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange*) {}

    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    static INT_PTR CALLBACK ModalDialogProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
};

// Message-map entries for control notifications.
#define ON_CONTROL(code, id, memberFn) \
    {WM_COMMAND, (code), (id), VISTALS_HANDLER(self_->memberFn(); return 0;)},
#define ON_BN_CLICKED(id, memberFn) ON_CONTROL(BN_CLICKED, id, memberFn)
#define ON_EN_CHANGE(id, memberFn) ON_CONTROL(EN_CHANGE, id, memberFn)
#define ON_CBN_SELCHANGE(id, memberFn) ON_CONTROL(CBN_SELCHANGE, id, memberFn)
// Handler: void memberFn(NMHDR*, LRESULT* result).
#define ON_NOTIFY(code, id, memberFn)                                               \
    {WM_NOTIFY, static_cast<int>(code), (id), VISTALS_HANDLER(                      \
        LRESULT result_ = 0;                                                        \
        self_->memberFn(reinterpret_cast<NMHDR*>(lParam_), &result_);               \
        return result_;)},
// Handler: BOOL OnEraseBkgnd(HDC).
#define ON_WM_ERASEBKGND() \
    {WM_ERASEBKGND, 0, 0, VISTALS_HANDLER(return self_->OnEraseBkgnd(reinterpret_cast<HDC>(wParam_));)},
