#include "WinApp.h"

#include "FilePath.h"
#include "ModalLoop.h"
#include "Resource.h"

#include <vector>

namespace {
CWinApp* g_app = nullptr;
}  // namespace

CString AfxModuleFileName(HMODULE instance) {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameA(instance, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return CString();
        if (length < buffer.size()) return CString(buffer.data(), static_cast<int>(length));
        buffer.resize(buffer.size() * 2);
    }
}

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
    ON_COMMAND(ID_APP_EXIT, OnAppExit)
    ON_COMMAND(ID_HELP_FINDER, OnHelpFinder)
END_MESSAGE_MAP()

CWinApp::CWinApp(const char* appName) {
    if (appName) {
        appName_ = appName;
        m_pszAppName = appName_;
    }
    g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

void CWinApp::InitApplication(HINSTANCE instance) {
    m_hInstance = instance;
    if (appName_.IsEmpty()) {
        if (!appName_.LoadString(AFX_IDS_APP_TITLE)) {
            // No title in the string table: the module's base name.
            appName_ = FileNamePart(AfxModuleFileName(instance));
            const int dot = appName_.ReverseFind('.');
            if (dot > 0) appName_ = appName_.Left(dot);
        }
        m_pszAppName = appName_;
    }
    // The framework's help path: the program's path with the extension ".HLP".
    CString help = AfxModuleFileName(instance);
    const int dot = help.ReverseFind('.');
    if (dot > help.ReverseFind('\\')) help = help.Left(dot);
    SetHelpFilePath(help + ".HLP");
}

void CWinApp::SetHelpFilePath(const char* path) {
    helpFilePath_ = path ? path : "";
    m_pszHelpFilePath = helpFilePath_;
}

void CWinApp::WinHelp(DWORD_PTR, UINT) {}

int CWinApp::Run() {
    MSG msg;
    BOOL got;
    while ((got = GetMessageA(&msg, nullptr, 0, 0)) != 0) {
        if (got == -1) break;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    exitCode_ = got == -1 ? -1 : static_cast<int>(msg.wParam);
    return ExitInstance();
}

void CWinApp::OnAppExit() {
    if (m_pMainWnd && m_pMainWnd->m_hWnd) m_pMainWnd->SendMessage(WM_CLOSE);
}

void CWinApp::OnHelpFinder() {
    WinHelp(0, HELP_FINDER);
}

CWinApp* AfxGetApp() { return g_app; }

CWnd* AfxGetMainWnd() { return g_app ? g_app->m_pMainWnd : nullptr; }

HINSTANCE AfxGetInstanceHandle() {
    return g_app && g_app->m_hInstance ? g_app->m_hInstance : GetModuleHandleA(nullptr);
}

int AfxMessageBox(const char* text, UINT type) {
    // A box raised from a dialog belongs to the dialog, which it then
    // disables; otherwise to the main window.
    HWND owner = GetActiveWindow();
    if (!owner) {
        CWnd* main = AfxGetMainWnd();
        owner = main ? main->m_hWnd : nullptr;
    }
    const char* caption = g_app ? g_app->m_pszAppName : nullptr;
    return RunMessageBox(owner, text, caption, type);
}

int AfxMessageBox(UINT stringId, UINT type) {
    CString text;
    text.LoadString(stringId);
    return AfxMessageBox(text, type);
}

int AfxWinMain(HINSTANCE instance) {
    CWinApp* app = AfxGetApp();
    if (!app) return -1;
    app->InitApplication(instance);
    if (!app->InitInstance()) return app->ExitInstance();
    return app->Run();
}
