#include "FileDialog.h"

#include "ModalLoop.h"
#include "WinApp.h"

#include <cstring>

namespace {
// The dialog whose window the system is creating on this thread; its hook
// attaches it at the first WM_INITDIALOG. Old-style hooks do not all carry
// the record's lCustData there, so it is not relied on.
thread_local CFileDialog* g_starting = nullptr;
}  // namespace

IMPLEMENT_DYNAMIC(CFileDialog, CDialog)

CFileDialog::CFileDialog(BOOL openFileDialog, const char* defaultExt, const char* fileName, DWORD flags,
                         const char* filter, CWnd* parent)
    : CDialog(0, parent), m_bOpenFileDialog(openFileDialog) {
    if (fileName) lstrcpynA(fileName_, fileName, sizeof fileName_);
    m_ofn.lStructSize = sizeof m_ofn;
    m_ofn.hInstance = AfxGetInstanceHandle();
    m_ofn.lpstrFilter = filter;
    m_ofn.nFilterIndex = 1;
    m_ofn.lpstrFile = fileName_;
    m_ofn.nMaxFile = sizeof fileName_;
    m_ofn.lpstrDefExt = defaultExt;
    m_ofn.Flags = flags | OFN_ENABLEHOOK;
    m_ofn.lpfnHook = &CFileDialog::HookProc;
    m_ofn.lCustData = reinterpret_cast<LPARAM>(this);
}

INT_PTR CFileDialog::DoModal() {
    m_ofn.hwndOwner = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    if (!m_ofn.hwndOwner) {
        CWnd* main = AfxGetMainWnd();
        m_ofn.hwndOwner = main ? main->m_hWnd : nullptr;
    }
    // A template of our own may hold common controls.
    const ModalLoop loop(ICC_WIN95_CLASSES, true);
    using ShowFn = BOOL(WINAPI*)(LPOPENFILENAMEA);
    const auto show =
        loop.DialogsLibrary().Entry<ShowFn>(m_bOpenFileDialog ? "GetOpenFileNameA" : "GetSaveFileNameA");
    if (!show) return IDCANCEL;

    confirmed_ = false;
    CFileDialog* const outer = g_starting;
    g_starting = this;
    const BOOL accepted = show(&m_ofn);
    g_starting = outer;
    return accepted || confirmed_ ? IDOK : IDCANCEL;
}

void CFileDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    DefWindowProc(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

void CFileDialog::OnCancel() {
    DefWindowProc(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

void CFileDialog::EndConfirmed() {
    confirmed_ = true;
    EndDialog(IDOK);
}

UINT_PTR CALLBACK CFileDialog::HookProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CFileDialog* target = nullptr;
    if (message == WM_INITDIALOG) {
        target = g_starting;
        g_starting = nullptr;
    }
    return static_cast<UINT_PTR>(RouteDialogMessage(target, window, message, wParam, lParam));
}
