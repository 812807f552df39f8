#include "StartupRules.h"

#include "ui/HtmlHelp.h"

FirstChange DecideFirstChange(const SettingsRecord& settings, int setCount) {
    // A paused program keeps the wallpaper it had; the tooltip says it waits.
    if (settings.Paused) return FirstChange::ArmTimer;
    if (settings.VistalSetStartup && setCount > 1) return FirstChange::NextSet;
    if (settings.VistalStartup) return FirstChange::NextVistal;
    if (settings.VistalSetPeriodic || settings.VistalPeriodic) return FirstChange::ArmTimer;
    return FirstChange::Nothing;
}

TickDecision DecideTick(const SettingsRecord& settings, bool changesAllowed, int32_t pictureElapsed,
                        int32_t setElapsed) {
    if (!(settings.VistalSetPeriodic || settings.VistalPeriodic) || !changesAllowed || settings.Paused)
        return {TickAction::Hold, pictureElapsed, setElapsed};
    // Both count, whichever options are on.
    ++pictureElapsed;
    ++setElapsed;
    // A due set change wins; it shows a new picture too.
    if (settings.VistalSetPeriodic && setElapsed >= settings.VistalSetIntervalMinutes)
        return {TickAction::ChangeSet, pictureElapsed, setElapsed};
    if (settings.VistalPeriodic && pictureElapsed >= settings.VistalIntervalMinutes)
        return {TickAction::ChangePicture, pictureElapsed, setElapsed};
    return {TickAction::Count, pictureElapsed, setElapsed};
}

CString HelpPathFromFrameworkPath(const char* frameworkPath) {
    CString path(frameworkPath);
    path.Replace(".HLP", ".chm");
    return path;
}

HelpCall RouteFrameHelp(DWORD_PTR data, UINT command) {
    switch (command) {
        case HELP_CONTEXT: return {true, HH_HELP_CONTEXT, data};
        case HELP_QUIT: return {false, 0, 0};
        case HELP_FINDER: return {true, HH_DISPLAY_TOC, 0};
        default: return {true, command, data};
    }
}
