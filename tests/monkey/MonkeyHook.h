// What the random-action run shares with its message hook, which runs inside
// the program: the markers it reports and the files it drops.
#pragma once

#include <windows.h>

namespace monkey_hook {

// Named objects of the run's prefix (one run at a time).
constexpr char kSharedName[] = "VistalsMonkeyShared";
constexpr char kMarkerName[] = "VistalsMonkeyMarker";       // wParam: a sequence number
constexpr char kDropRequestName[] = "VistalsMonkeyDrop";    // to the window that gets the drop

// The tray icon's notification message, as the program registers its icon.
constexpr UINT kTrayNotify = WM_USER + 11;

struct Shared {
    // The last marker the program's thread took from its queue.
    volatile LONG markerTaken;
    // Double-clicks the tray icon reported to the program.
    volatile LONG trayDoubleClicks;
    // Paths to drop, each ending in a zero, the list in a second zero.
    char dropPaths[32768];
};

}  // namespace monkey_hook
