// The module's entry point. Module start happens on the first call of an
// export that needs the settings (see Settings()); module end happens here
// when the module is unloaded. When the whole process ends, nothing is freed:
// the system reclaims it, and plug-in libraries must not be unloaded in a
// dying process.
#include <windows.h>

#include "ModuleLifetime.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(instance);
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr) imvexa::EndModule();
    return TRUE;
}
