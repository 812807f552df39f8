// The common file dialog as a framework dialog. The system creates the
// window; the hook attaches this object at WM_INITDIALOG, so the dialog's
// message map and its OnOK/OnCancel see every message first and the system's
// own handling runs only for what they pass on.
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
    // Ends the dialog with IDOK itself: the system's own OK handling is not
    // run, so the dialog ends exactly once whether or not the system would
    // have ended it (Wine's old-style dialog without a file-name edit does
    // not; Windows' does).
    void OnOK() override;
    // The system's own cancel, which ends the dialog.
    void OnCancel() override;

private:
    static UINT_PTR CALLBACK HookProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    char fileName_[MAX_PATH] = {};
    bool confirmed_ = false;
};
