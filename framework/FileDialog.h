// The common file dialog as a framework dialog. The system creates the
// window; the hook attaches this object at WM_INITDIALOG, so the dialog's
// message map and its OnOK/OnCancel see every message first and the system's
// own handling runs for what they pass on.
#pragma once

#include "Dialog.h"

#include <commdlg.h>

class CFileDialog : public CDialog {
    DECLARE_DYNAMIC(CFileDialog)
public:
    // `filter`: pairs of NUL-terminated texts ending in an empty one, kept
    // by the caller while the dialog runs.
    explicit CFileDialog(BOOL openFileDialog, const char* defaultExt = nullptr,
                         const char* fileName = nullptr,
                         DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                         const char* filter = nullptr, CWnd* parent = nullptr);

    // IDOK when the dialog was confirmed, IDCANCEL otherwise.
    INT_PTR DoModal() override;

    OPENFILENAMEA m_ofn{};
    const BOOL m_bOpenFileDialog;

protected:
    // The members are saved, then the system's own OK processing runs: it
    // takes the chosen file names and ends the dialog.
    void OnOK() override;
    // The system's own cancel, which ends the dialog.
    void OnCancel() override;
    // Ends the dialog as confirmed without the system's OK processing, for
    // a dialog that decides itself when it is done; DoModal returns IDOK.
    void EndConfirmed();

private:
    static UINT_PTR CALLBACK HookProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    char fileName_[MAX_PATH] = {};
    bool confirmed_ = false;
};
