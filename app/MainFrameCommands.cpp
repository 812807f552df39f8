// The main frame's change scheduler and tray commands.
#include "app/MainFrame.h"

#include "app/Messages.h"
#include "app/SchedulerState.h"
#include "app/StartupRules.h"
#include "framework/ModalLoop.h"
#include "settings/Settings.h"
#include "app/WebPages.h"
#include "framework/FilePath.h"
#include "res/resource.h"
#include "sets/ImageSetList.h"
#include "ui/OptionsSheet.h"
#include "ui/SelectImagesDialog.h"
#include "wallpaper/CodecBinding.h"
#include "wallpaper/WallpaperWorker.h"

#include <shellapi.h>

namespace {

bool PeriodicChangesOn() {
    return Settings.VistalSetPeriodic || Settings.VistalPeriodic;
}

void OpenWebPage(const char* address) {
    ShellExecuteA(nullptr, "open", address, nullptr, nullptr, SW_SHOW);
}

}  // namespace

void CMainFrame::ArmChangeTimer() {
    SetTimer(ID_CHANGE_TIMER, kChangeTimerPeriodMs);
}

void CMainFrame::DisplayNextVistal() {
    // Without the codec library there is nothing to show a picture with;
    // binding already told the user why.
    if (!TheImageSetList || !TheImageLibrary) return;
    const CString* next = TheImageSetList->NextImage({Settings.VistalCycleMethod, Settings.VistalSetCycleMethod}, -1);
    if (!next) return;
    const char* path = *next;
    CurrentVistalName = FileNamePart(path);

    CodecImage image(TheImageLibrary, 0);
    int32_t reserved = 0;
    const ImageStatus status = TheImageLibrary->OpenImage(path, image.put(), &reserved);
    if (status != IMAGE_OK) {
        char text[256] = {};
        TheImageLibrary->GetErrorText(image.get(), status, text, 255);
        image.reset();
        // Over an open Select dialog the box belongs to the dialog, which
        // thus cannot be confirmed (destroying this list) while it waits.
        MessageBox(text, path, MB_ICONEXCLAMATION | MB_OK);
        return;
    }
    TheCompositionQueue.Submit(std::move(image));
    VistalElapsedMinutes = 0;
}

void CMainFrame::DisplayNextSet() {
    if (!TheImageSetList) return;
    TheImageSetList->NextSet(Settings.VistalSetCycleMethod);
    VistalSetElapsedMinutes = 0;
    DisplayNextVistal();
}

void CMainFrame::OnTimer(UINT_PTR) {
    KillTimer(ID_CHANGE_TIMER);
    const TickDecision tick = DecideTick(Settings, ChangesAllowed, VistalElapsedMinutes, VistalSetElapsedMinutes);
    VistalElapsedMinutes = tick.pictureElapsed;
    VistalSetElapsedMinutes = tick.setElapsed;
    switch (tick.action) {
        case TickAction::Hold:
            Default();
            return;
        // A change leaves the timer disarmed until its result arrives.
        case TickAction::ChangeSet:
            DisplayNextSet();
            UpdateTooltip();
            return;
        case TickAction::ChangePicture:
            DisplayNextVistal();
            UpdateTooltip();
            return;
        case TickAction::Count:
            UpdateTooltip();
            ArmChangeTimer();
            Default();
            return;
    }
}

LRESULT CMainFrame::OnWallpaperApplied(WPARAM, LPARAM) {
    if (PeriodicChangesOn()) ArmChangeTimer();
    UpdateTooltip();
    return 0;
}

void CMainFrame::OnUpdateDisplayNextVistal(CCmdUI* ui) {
    ui->Enable(TheImageSetList && TheImageSetList->GetCount() >= 1);
}

void CMainFrame::OnUpdateDisplayNextSet(CCmdUI* ui) {
    ui->Enable(TheImageSetList && TheImageSetList->GetCount() > 1);
}

void CMainFrame::OnOptions() {
    // One modal window of ours at a time: a second sheet would write its
    // stale pages over the first one's.
    if (ModalLoop::BringForward()) return;
    COptionsSheet sheet("Options");
    sheet.m_psh.dwFlags |= PSH_NOAPPLYNOW;
    // No change may start while the user is choosing how changes happen.
    ChangesAllowed = false;
    if (sheet.DoModal() == IDOK) {
        sheet.ApplyOptions();
        // Random order starts afresh in every set.
        if (TheImageSetList) TheImageSetList->ClearAllShown();
        VistalElapsedMinutes = 0;
        VistalSetElapsedMinutes = 0;
        UpdateTooltip();
        if (PeriodicChangesOn()) ArmChangeTimer();
    }
    ChangesAllowed = true;
}

void CMainFrame::OnSelectImages() {
    // One modal window of ours at a time: a second dialog would be handed
    // the list the first one is about to destroy.
    if (ModalLoop::BringForward()) return;
    CBatchC dialog(TheImageSetList, TRUE);
    dialog.m_onOptionsApplied = [this] { UpdateTooltip(); };
    ChangesAllowed = false;
    const INT_PTR result = dialog.DoModal();
    ChangesAllowed = true;
    if (result != IDOK) return;
    // The dialog destroyed the old list and saved the new one.
    TheImageSetList = dialog.m_pSetList;
    KillTimer(ID_CHANGE_TIMER);
    SendMessage(WM_COMMAND, ID_DISPLAY_NEXT_VISTAL);
}

void CMainFrame::OnWebSite() { OpenWebPage(kHomePage); }
void CMainFrame::OnTechSupport() { OpenWebPage(kSupportPage); }
void CMainFrame::OnOrder() { OpenWebPage(kOrderPage); }
