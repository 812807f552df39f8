#include "VistalsApp.h"

#include "app/MainFrame.h"
#include "framework/ModalLoop.h"
#include "app/Messages.h"
#include "settings/Settings.h"
#include "app/StartupRules.h"
#include "res/resource.h"
#include "sets/CommandLineSet.h"
#include "sets/ImageSetList.h"
#include "wallpaper/CodecBinding.h"
#include "wallpaper/WallpaperWorker.h"
#include "app/Version.h"
#include "ui/AboutBox.h"

#include <cstdlib>
#include <ctime>
#include <new>

namespace {
const char kInstanceEventName[] = "VistalsEvent";
}

BEGIN_MESSAGE_MAP(CVistalsApp, CWinApp)
    ON_COMMAND(ID_APP_ABOUT, ShowAboutBox)
    ON_COMMAND(ID_HELP_FINDER, OnHelpFinder)
END_MESSAGE_MAP()

BOOL CVistalsApp::InitInstance() {
    // One instance per session: the named event marks the running one.
    // Creating it and learning that it existed is one step, so of two
    // copies started together exactly one goes on.
    instanceEvent_.reset(CreateEventA(nullptr, FALSE, FALSE, kInstanceEventName));
    if (instanceEvent_ && GetLastError() == ERROR_ALREADY_EXISTS) {
        instanceEvent_.reset();
        AfxMessageBox(IDS_ALREADY_RUNNING, MB_OK);
        return FALSE;
    }

    if (!CreateMainFrame()) return FALSE;

    ShowAboutBox();

    BindImageLibrary();  // reports its own failures; start-up goes on

    LoadSettings();
    settingsLoaded_ = true;

    if (!BuildImageSetList()) return FALSE;

    std::srand(static_cast<unsigned>(std::time(nullptr)));
    PostFirstChange();

    SetHelpFilePath(HelpPathFromFrameworkPath(m_pszHelpFilePath));
    return TRUE;
}

bool CVistalsApp::CreateMainFrame() {
    CMainFrame* frame = new CMainFrame;  // deletes itself with its window
    if (!frame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, nullptr)) {
        if (TheMainFrame == frame) delete frame;  // creation failed before the window existed
        return false;
    }
    m_pMainWnd = frame;

    // The frame's menu becomes the tray menu, so the frame's command routing
    // and update handlers serve the popup that the tray icon shows.
    frame->InstallTrayMenu();
    return true;
}

BOOL CVistalsApp::LoadCommandLineSet() {
    const CommandLineSetResult result = ::LoadCommandLineSet(__argc, __argv);
    if (result == CommandLineSetResult::OutOfMemory) AfxMessageBox(IDP_OUT_OF_MEMORY, MB_OK);
    return result == CommandLineSetResult::Loaded;
}

bool CVistalsApp::BuildImageSetList() {
    if (LoadCommandLineSet()) return true;
    TheImageSetList = new (std::nothrow) CImageSetList;  // owned through the pointer until shutdown
    if (!TheImageSetList) {
        AfxMessageBox(IDP_OUT_OF_MEMORY, MB_OK);
        return false;
    }
    TheImageSetList->LoadFromRegistry(Settings.VistalCycleMethod);
    return true;
}

void CVistalsApp::PostFirstChange() {
    const int setCount = TheImageSetList ? TheImageSetList->GetCount() : 0;
    switch (DecideFirstChange(Settings, setCount)) {
        case FirstChange::NextSet:
            m_pMainWnd->PostMessage(WM_COMMAND, ID_DISPLAY_NEXT_SET, 0);
            break;
        case FirstChange::NextVistal:
            m_pMainWnd->PostMessage(WM_COMMAND, ID_DISPLAY_NEXT_VISTAL, 0);
            break;
        case FirstChange::ArmTimer:
            m_pMainWnd->PostMessage(WM_WALLPAPER_APPLIED, 0, 0);
            break;
        case FirstChange::Nothing:
            break;
    }
}

void CVistalsApp::ShowAboutBox() {
    CAboutBox::Show(VISTALS_ABOUT_VERSION_TEXT);
}

void CVistalsApp::ShutDown(DWORD workerWaitMs) {
    if (shutDown_) return;
    shutDown_ = true;
    TheCompositionQueue.Shutdown(workerWaitMs);
    if (TheMainFrame) TheMainFrame->m_trayIcon.RemoveIcon();
    // At the session's end the Options sheet or the Select dialog may still
    // be open, and it goes on using the sets and the library until the
    // process is ended: they are saved but stay.
    const bool dialogOpen = ModalLoop::RunningOnThisThread();
    if (dialogOpen) SaveImageSetList(Settings.VistalCycleMethod);
    else SaveAndDestroyImageSetList(Settings.VistalCycleMethod);
    // A worker that outlived the wait still uses the library.
    if (TheCompositionQueue.IsIdle() && !dialogOpen) UnbindImageLibrary();
    if (settingsLoaded_) SaveSettings();
    instanceEvent_.reset();
}

int CVistalsApp::ExitInstance() {
    // After Exit the frame has already waited for a running change as it
    // closed; after the session's end everything is done already.
    ShutDown(0);
    return CWinApp::ExitInstance();
}

void CVistalsApp::WinHelp(DWORD_PTR data, UINT command) {
    // "&Help..." lands here through the command routing; the frame opens
    // the contents, owned by itself. Without a frame there is nothing to
    // own the help window, and no menu to ask for it.
    if (TheMainFrame && TheMainFrame->m_hWnd) TheMainFrame->WinHelp(data, command);
}
