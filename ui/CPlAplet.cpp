#include <windows.h>
#include <cpl.h>

#include "Common.h"

// The Control Panel entry. Until the settings dialog exists the module
// declines CPL_INIT, so the Control Panel lists no applet.
extern "C" LONG WINAPI CPlApplet(HWND, UINT, LPARAM, LPARAM) {
    imvexa::StartModule();
    return 0;
}
