#include "StartupRules.h"

#include "ui/HtmlHelp.h"

FirstChange DecideFirstChange(const SettingsRecord& settings, int setCount) {
    if (settings.VistalSetStartup && setCount > 1) return FirstChange::NextSet;
    if (settings.VistalStartup) return FirstChange::NextVistal;
    if (settings.VistalSetPeriodic || settings.VistalPeriodic) return FirstChange::ArmTimer;
    return FirstChange::Nothing;
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
