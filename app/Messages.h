// Private window messages of the main frame.
#pragma once

#include <windows.h>

// Posted by a finished wallpaper change (and once at start-up): re-arms the
// change timer and refreshes the tooltip. A wallpaper composed again for a
// new display posts it with wParam 1 (kRecomposedNotice), which changes
// neither.
#define WM_WALLPAPER_APPLIED (WM_USER + 10)
// The tray icon's callback message.
#define WM_TRAY_NOTIFY (WM_USER + 11)
