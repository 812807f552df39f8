#include "DynamicLibrary.h"

CommonControls::CommonControls(DWORD classes) noexcept : library_("comctl32.dll") {
    using InitializeFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    if (auto initialize = library_.Entry<InitializeFn>("InitCommonControlsEx")) {
        const INITCOMMONCONTROLSEX controls{sizeof(controls), classes};
        initialize(&controls);
    }
}
