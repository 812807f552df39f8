#include "Dialog.h"

#include "ModalLoop.h"
#include "WinApp.h"

#include <cassert>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

const char kParseIntMessage[] = "Please enter an integer.";
const char kParseUIntMessage[] = "Please enter a positive integer.";

// ---- CDataExchange --------------------------------------------------------

HWND CDataExchange::PrepareCtrl(int id) {
    HWND control = m_pDlgWnd->GetDlgItem(id);
    assert(control);
    lastControl_ = control;
    lastIsEdit_ = false;
    return control;
}

HWND CDataExchange::PrepareEditCtrl(int id) {
    HWND control = PrepareCtrl(id);
    lastIsEdit_ = true;
    return control;
}

void CDataExchange::Fail() {
    if (m_bSaveAndValidate && lastControl_) {
        if (lastIsEdit_) SendMessageA(lastControl_, EM_SETSEL, 0, -1);
        SetFocus(lastControl_);
    }
    throw DataExchangeFailure{};
}

namespace {

// The whole text as a number of [low, high]; blanks around it are allowed.
bool ParseInteger(const char* text, bool allowSign, long long low, long long high,
                  long long* value) {
    while (std::isspace(static_cast<unsigned char>(*text))) ++text;
    if (!allowSign && *text == '-') return false;
    if (!std::isdigit(static_cast<unsigned char>(*text)) && *text != '-' && *text != '+') return false;
    char* end = nullptr;
    errno = 0;
    const long long parsed = std::strtoll(text, &end, 10);
    if (end == text || errno == ERANGE) return false;
    while (std::isspace(static_cast<unsigned char>(*end))) ++end;
    if (*end != '\0' || parsed < low || parsed > high) return false;
    *value = parsed;
    return true;
}

// One integer edit of type T, either way; saving refuses what T cannot hold.
template <class T>
void ExchangeInteger(CDataExchange* dx, int id, T& value, const char* refusal) {
    HWND edit = dx->PrepareEditCtrl(id);
    if (!dx->m_bSaveAndValidate) {
        SetWindowTextA(edit, std::to_string(value).c_str());
        return;
    }
    long long parsed = 0;
    const bool isSigned = std::numeric_limits<T>::is_signed;
    if (!ParseInteger(WindowText(edit), isSigned, std::numeric_limits<T>::min(),
                      std::numeric_limits<T>::max(), &parsed)) {
        AfxMessageBox(refusal, MB_OK | MB_ICONEXCLAMATION);
        dx->Fail();
    }
    value = static_cast<T>(parsed);
}

}  // namespace

void DDX_Check(CDataExchange* dx, int id, int& value) {
    HWND box = dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate)
        value = static_cast<int>(SendMessageA(box, BM_GETCHECK, 0, 0));
    else
        SendMessageA(box, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

void DDX_Text(CDataExchange* dx, int id, int& value) {
    ExchangeInteger(dx, id, value, kParseIntMessage);
}

void DDX_Text(CDataExchange* dx, int id, unsigned& value) {
    ExchangeInteger(dx, id, value, kParseUIntMessage);
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
    HWND window = dx->PrepareCtrl(id);
    if (control.m_hWnd == window) return;
    if (!control.HandlesMessages()) {
        control.Attach(window);
        return;
    }
    const BOOL bound = control.SubclassWindow(window);
    assert(bound);
    (void)bound;
}

// ---- CDialog --------------------------------------------------------------

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
END_MESSAGE_MAP()

INT_PTR CDialog::DoModal() {
    HWND parent = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    const ModalLoop loop;
    return DialogBoxParamA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), parent,
                           &CDialog::ModalDialogProc, reinterpret_cast<LPARAM>(this));
}

void CDialog::EndDialog(INT_PTR result) {
    assert(m_hWnd);
    ::EndDialog(m_hWnd, result);
}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
    CDataExchange dx(this, saveAndValidate);
    try {
        DoDataExchange(&dx);
    } catch (const DataExchangeFailure&) {
        return FALSE;
    }
    return TRUE;
}

HWND CDialog::GetDlgItem(int id) const {
    assert(m_hWnd);
    return ::GetDlgItem(m_hWnd, id);
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
    const UINT id = LOWORD(wParam);
    const int code = lParam ? static_cast<int>(HIWORD(wParam)) : static_cast<int>(CN_COMMAND);
    if (const MessageMapEntry* entry = GetMessageMap()->Find(WM_COMMAND, code, id)) {
        entry->handler(this, wParam, lParam);
        return TRUE;
    }
    if (code != CN_COMMAND) return FALSE;
    if (id == IDOK) {
        OnOK();
        return TRUE;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return TRUE;
    }
    return FALSE;
}

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) return OnInitDialog();
    if (message == WM_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (const MessageMapEntry* entry = GetMessageMap()->Find(
                WM_NOTIFY, static_cast<int>(header->code), static_cast<UINT>(header->idFrom))) {
            const LRESULT result = entry->handler(this, wParam, lParam);
            // A dialog also answers in its result slot, where some senders
            // (property sheets) read the answer.
            SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
            return result;
        }
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

INT_PTR CDialog::RouteDialogMessage(CDialog* initTarget, HWND window, UINT message,
                                    WPARAM wParam, LPARAM lParam) {
    // Once attached, the framework's window procedure sees every message
    // first; what reaches the dialog procedure then is the default handling.
    if (FromHandlePermanent(window)) return FALSE;
    if (message != WM_INITDIALOG || !initTarget) return FALSE;
    if (!initTarget->SubclassWindow(window)) return FALSE;
    return initTarget->Dispatch(WM_INITDIALOG, wParam, lParam);
}

INT_PTR CALLBACK CDialog::ModalDialogProc(HWND window, UINT message, WPARAM wParam,
                                          LPARAM lParam) {
    CDialog* target = message == WM_INITDIALOG ? reinterpret_cast<CDialog*>(lParam) : nullptr;
    return RouteDialogMessage(target, window, message, wParam, lParam);
}
