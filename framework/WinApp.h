// The application object: one static instance per program.
#pragma once

#include "CString.h"
#include "Wnd.h"

class CWinApp : public CCmdTarget {
    DECLARE_MESSAGE_MAP()
public:
    // With no name, the title comes from string 57344 of the string table.
    explicit CWinApp(const char* appName = nullptr);
    ~CWinApp() override;

    HINSTANCE m_hInstance = nullptr;
    CWnd* m_pMainWnd = nullptr;
    // Application title; owned by the application.
    const char* m_pszAppName = nullptr;
    // Help file path; owned by the application (see SetHelpFilePath).
    const char* m_pszHelpFilePath = nullptr;

    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance() { return exitCode_; }
    virtual void WinHelp(DWORD_PTR data, UINT command = HELP_CONTEXT);
    // The message loop; ends with ExitInstance's result.
    virtual int Run();

    void SetHelpFilePath(const char* path);
    // Fills instance, title and help path; called once before InitInstance.
    void InitApplication(HINSTANCE instance);

protected:
    void OnAppExit();
    void OnHelpFinder();

private:
    CString appName_;
    CString helpFilePath_;
    int exitCode_ = 0;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetInstanceHandle();

// Framework message boxes: the application title as caption, owned by the
// main window when there is one.
int AfxMessageBox(const char* text, UINT type = MB_OK);
int AfxMessageBox(UINT stringId, UINT type = MB_OK);


// The full file name of a module (null: the program), of any length.
CString AfxModuleFileName(HMODULE module);

// The framework's program entry: InitInstance, then Run or ExitInstance.
int AfxWinMain(HINSTANCE instance);
