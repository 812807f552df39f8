// Program entry: the one application object and the framework's main.
#include "app/VistalsApp.h"

static CVistalsApp theApp;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return AfxWinMain(instance);
}
