#include <windows.h>
#include <cpl.h>

#include <cstring>

#include "CfgFrm.h"
#include "ModuleLifetime.h"
#include "ModuleInstance.h"

// The Control Panel entry: one applet, "Imvexa", that opens the settings.

#ifndef _WIN64
static_assert(sizeof(NEWCPLINFOA) == 244, "the Control Panel reads the 32-bit record as 244 bytes");
#endif

namespace imvexa::ui {
namespace {

void Describe(NEWCPLINFOA& info) {
    std::memset(&info, 0, sizeof info);
    info.dwSize = sizeof(NEWCPLINFOA);
    info.dwFlags = 0;
    info.dwHelpContext = 0;
    info.lData = 0;
    info.hIcon = LoadIconA(ModuleInstance(), "MAINICON");
    lstrcpynA(info.szName, "Imvexa", sizeof info.szName);
    lstrcpynA(info.szInfo, "Imvexa の設定を変更します。", sizeof info.szInfo);
    // szHelpFile stays all zero.
}

// Each double-click makes a fresh dialog, which shows the settings as they
// are now. The host's window owns it, so the host stays disabled meanwhile.
void OpenSettings(HWND host) {
    TConfigForm form;
    form.ShowModal(host);
}

LONG Dispatch(HWND host, UINT message, LPARAM parameter2) {
    switch (message) {
    case CPL_INIT:
    case CPL_GETCOUNT:
        return 1;
    case CPL_NEWINQUIRE:
        if (!parameter2) return 0;
        Describe(*reinterpret_cast<NEWCPLINFOA*>(parameter2));
        return 1;
    case CPL_DBLCLK:
        OpenSettings(host);
        return 0;
    default:
        // CPL_INQUIRE, CPL_SELECT, CPL_STOP, CPL_EXIT, CPL_STARTWPARMS and the
        // rest: answering 0 to CPL_STARTWPARMS makes the host double-click.
        return 0;
    }
}

}  // namespace
}  // namespace imvexa::ui

extern "C" LONG WINAPI CPlApplet(HWND host, UINT message, LPARAM, LPARAM parameter2) {
    try {
        imvexa::StartModule();
        return imvexa::ui::Dispatch(host, message, parameter2);
    } catch (...) {
        return 0;
    }
}
