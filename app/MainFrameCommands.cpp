// The main frame's change scheduler and tray commands.
#include "app/MainFrame.h"

#include "app/Messages.h"
#include "app/SchedulerState.h"
#include "app/StartupRules.h"
#include "framework/FilePath.h"
#include "framework/ModalLoop.h"
#include "settings/Settings.h"
#include "app/WebPages.h"
#include "res/resource.h"
#include "sets/ImageSetList.h"
#include "sets/ScreenPictures.h"
#include "ui/OptionsSheet.h"
#include "ui/SelectImagesDialog.h"
#include "wallpaper/CodecBinding.h"
#include "wallpaper/Monitors.h"
#include "wallpaper/WallpaperWorker.h"

#include <shellapi.h>

#include <utility>

namespace {

bool PeriodicChangesOn() {
    return Settings.VistalSetPeriodic || Settings.VistalPeriodic;
}

void OpenWebPage(const char* address) {
    ShellExecuteA(nullptr, "open", address, nullptr, nullptr, SW_SHOW);
}

// One picture for each monitor when they are to differ and there are
// several; otherwise one.
int PicturesPerChange() {
    if (!Settings.VistalPerScreen) return 1;
    return static_cast<int>(CurrentMonitors().size());
}

}  // namespace

void CMainFrame::ArmChangeTimer() {
    SetTimer(ID_CHANGE_TIMER, kChangeTimerPeriodMs);
}

void CMainFrame::DisplayNextVistal() {
    // Without the codec library there is nothing to show a picture with;
    // binding already told the user why.
    if (!TheImageLibrary) return;
    // After a step back, the pictures ahead come again before new ones.
    if (const ShownChange* ahead = m_history.StepForward()) {
        ShowChange(*ahead);
        return;
    }
    DisplayNewVistal();
}

void CMainFrame::DisplayNewVistal() {
    if (!TheImageSetList || !TheImageLibrary) return;
    const std::vector<CString> paths = NextImagesForScreens(
        *TheImageSetList, {Settings.VistalCycleMethod, Settings.VistalSetCycleMethod}, PicturesPerChange());
    if (paths.empty()) return;
    // All come from the current set; the list knows the place of the last.
    ShownChange change;
    for (const CString& path : paths) change.push_back({path.str(), TheImageSetList->m_nSetIndex, -1});
    change.back().position = TheImageSetList->m_nImageIndex;
    m_history.AddNew(change);
    ShowChange(std::move(change));
}

void CMainFrame::ShowChange(ShownChange change) {
    // The tooltip names the primary monitor's picture.
    CurrentVistalName = FileNamePart(change.front().path.c_str());

    std::vector<ScreenPicture> pictures;
    for (const ShownPicture& picture : change) {
        // Over an open Select dialog the box belongs to the dialog, which
        // thus cannot be confirmed (destroying this list) while it waits.
        CodecImage image = OpenPicture(*TheImageLibrary, picture.path.c_str(), m_hWnd);
        if (!image) return;
        pictures.push_back({picture.path, std::move(image)});
    }
    TheCompositionQueue.Submit(std::move(pictures));
    VistalElapsedMinutes = 0;
}

void CMainFrame::DisplayNextSet() {
    if (!TheImageSetList) return;
    TheImageSetList->NextSet(Settings.VistalSetCycleMethod);
    VistalSetElapsedMinutes = 0;
    DisplayNewVistal();  // the new set's picture, not one ahead of a step back
}

void CMainFrame::OnTimer(UINT_PTR timerId) {
    if (timerId == ID_DISPLAY_TIMER) {
        KillTimer(ID_DISPLAY_TIMER);
        if (TheImageLibrary) TheCompositionQueue.Recompose();
        return;
    }
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

LRESULT CMainFrame::OnWallpaperApplied(WPARAM notice, LPARAM) {
    // The same pictures again: the schedule and the tooltip stay as they are.
    if (notice == kRecomposedNotice) return 0;
    if (PeriodicChangesOn()) ArmChangeTimer();
    UpdateTooltip();
    return 0;
}

LRESULT CMainFrame::OnDisplayChange(WPARAM, LPARAM) {
    // Each change restarts the wait, so the last of a burst is composed for.
    SetTimer(ID_DISPLAY_TIMER, kDisplaySettleMs);
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

void CMainFrame::OnPauseChanges() {
    Settings.Paused = Settings.Paused ? 0 : 1;
    StorePaused();
    // Going on arms the timer again, as a confirmed Options sheet does; the
    // counters go on from where they stood.
    if (!Settings.Paused && PeriodicChangesOn()) ArmChangeTimer();
    UpdateTooltip();
}

void CMainFrame::OnUpdatePauseChanges(CCmdUI* ui) {
    ui->SetCheck(Settings.Paused ? 1 : 0);
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
    // The new list's picture comes next, not one ahead of a step back.
    m_history.DropAhead();
    KillTimer(ID_CHANGE_TIMER);
    SendMessage(WM_COMMAND, ID_DISPLAY_NEXT_VISTAL);
}

void CMainFrame::OnWebSite() { OpenWebPage(kHomePage); }
void CMainFrame::OnTechSupport() { OpenWebPage(kSupportPage); }
void CMainFrame::OnOrder() { OpenWebPage(kOrderPage); }
